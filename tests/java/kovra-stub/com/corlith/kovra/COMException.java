// Compile-only stand-in: the checked exception every generated wrapper method declares.
package com.corlith.kovra;

public class COMException extends Exception {
    private static final long serialVersionUID = 1L;

    public COMException() {
        throw new UnsupportedOperationException("compile-only stand-in");
    }
}
