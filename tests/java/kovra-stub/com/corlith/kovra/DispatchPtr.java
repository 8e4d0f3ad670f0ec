// Compile-only stand-in: the base of proxies of dispatch interfaces, and the type of IDispatch values.
package com.corlith.kovra;

public class DispatchPtr extends UnknownPtr {
    public DispatchPtr() throws COMException {
        throw stub();
    }

    public DispatchPtr(String progid) throws COMException {
        throw stub();
    }

    public DispatchPtr(IUnknown other) throws COMException {
        throw stub();
    }

    public DispatchPtr(GUID clsid) throws COMException {
        throw stub();
    }
}
