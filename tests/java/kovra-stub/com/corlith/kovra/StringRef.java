// Compile-only stand-in: a holder for a parameter passed by reference.
package com.corlith.kovra;

public class StringRef {
}
