// Generated proxies import this package whole; a package must hold a class to be imported.
package com.corlith.kovra.marshal;

final class PackagePresence {
    private PackagePresence() {
    }
}
