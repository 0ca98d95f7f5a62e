package tarnwick.ole;

/** Wraps an OLE Automation object; owns one reference, given up by Release(). */
public class Dispatch {
    /** The IDispatch pointer as a 32-bit integer. */
    public int m_interface;

    public Dispatch(int iface) {
        m_interface = iface;
    }

    public native void SetPropertyI(int member, Object value);
    public native Object GetPropertyI(int member);
    public native Object InvokeI(int member, Object[] arguments);
    public native int GetIdOfName(String name);
    public native void AddRef();
    public native void Release();
}
