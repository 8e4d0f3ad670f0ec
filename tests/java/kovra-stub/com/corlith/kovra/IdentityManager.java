// Compile-only stand-in: where each proxy class registers its interface GUID.
package com.corlith.kovra;

public final class IdentityManager {
    private IdentityManager() {
    }

    public static int registerProxy(GUID iid, Class<?> proxy) {
        throw UnknownPtr.stub();
    }

    public static int registerTypeInfo(GUID iid) {
        throw UnknownPtr.stub();
    }
}
