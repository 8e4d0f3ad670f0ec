// Compile-only stand-in: the interface and class identifiers written as GUID text literals.
package com.corlith.kovra;

public class GUID {
    public GUID(String text) {
        throw new UnsupportedOperationException("compile-only stand-in");
    }
}
