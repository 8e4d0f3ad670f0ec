// Compile-only stand-in: the Java type of an Automation DECIMAL value, also its own by-reference holder.
package com.corlith.kovra;

public class Decimal {
}
