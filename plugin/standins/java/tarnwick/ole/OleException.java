package tarnwick.ole;

/** A failed Automation call: the message text and the HRESULT. */
public class OleException extends RuntimeException {
    private final int m_hresult;

    public OleException(String message, int hresult) {
        super(message);
        m_hresult = hresult;
    }

    public int getHResult() {
        return m_hresult;
    }
}
