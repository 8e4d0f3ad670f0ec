// Compile-only stand-in: the Java type of an Automation CURRENCY value.
package com.corlith.kovra;

public class CurrencyValue {
}
