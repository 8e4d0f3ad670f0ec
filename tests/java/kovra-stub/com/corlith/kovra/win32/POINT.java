// Compile-only stand-in: the Java form of the POINT and RECT structures.
package com.corlith.kovra.win32;

import com.corlith.kovra.IUnknown;

public class POINT {
    public POINT(IUnknown value) {
        throw new UnsupportedOperationException("compile-only stand-in");
    }
}
