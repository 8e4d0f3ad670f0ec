// Compile-only stand-in: what every COM object reference is, for casts and the querying constructor.
package com.corlith.kovra;

public interface IUnknown {
}
