// Compile-only stand-in: the Java enumeration over a collection's _NewEnum object.
package com.corlith.kovra;

public class Enumeration implements java.util.Enumeration<Object> {
    public Enumeration(IUnknown enumerator) {
        throw UnknownPtr.stub();
    }

    public boolean hasMoreElements() {
        throw UnknownPtr.stub();
    }

    public Object nextElement() {
        throw UnknownPtr.stub();
    }
}
