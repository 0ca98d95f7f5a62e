package tarnwick.ole;

/** The plug-in's Java class: the peer of every plug-in instance. */
public class ActiveControl {
    /** The control's IDispatch pointer, 0 while there is none. */
    public int m_interface;

    public native void SetPropertyI(int member, Object value);
    public native Object GetPropertyI(int member);
    public native Object InvokeI(int member, Object[] arguments);
    public native int GetIdOfName(String name);
}
