// Compile-only stand-in: the base of proxies, with the late-bound calls generated members make.
package com.corlith.kovra;

public class UnknownPtr implements IUnknown {
    public UnknownPtr() throws COMException {
        throw stub();
    }

    public UnknownPtr(String progid) throws COMException {
        throw stub();
    }

    public UnknownPtr(IUnknown other) throws COMException {
        throw stub();
    }

    public UnknownPtr(GUID clsid) throws COMException {
        throw stub();
    }

    public Object invoke(String name) throws COMException {
        throw stub();
    }

    public Object invokeN(String name, Object[] args, int count) throws COMException {
        throw stub();
    }

    public Object invokeN(String name, Object[] args, int count, boolean wantResult) throws COMException {
        throw stub();
    }

    public Object get(String name) throws COMException {
        throw stub();
    }

    public Object getN(String name, Object[] args) throws COMException {
        throw stub();
    }

    public void put(String name, Object value) throws COMException {
        throw stub();
    }

    public void putN(String name, Object[] args, Object value) throws COMException {
        throw stub();
    }

    static UnsupportedOperationException stub() {
        return new UnsupportedOperationException("compile-only stand-in");
    }
}
