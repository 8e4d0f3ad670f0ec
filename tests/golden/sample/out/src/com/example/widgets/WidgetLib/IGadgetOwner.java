// created by Tessivar
// from TypeLib at 
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;
import com.corlith.kovra.constants.*;
import com.corlith.kovra.marshal.*;
import com.corlith.io.*;
import java.io.*;

public class IGadgetOwner extends DispatchPtr {
    public int getTypeInfoToken() {
        return 0;
    }

    static public final GUID proxyIID = new GUID("{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D04}");

    static public final int iidToken;

    static {
        iidToken = IdentityManager.registerProxy(proxyIID, IGadgetOwner.class);
    }

    /**
     * Returns Guid Token for this class
     */
    public int getGuidToken() {
        return iidToken;
    }

    /**
     * Creates empty IGadgetOwner Object
     */
    public IGadgetOwner() throws com.corlith.kovra.COMException {
        super();
    }
    /**
     * Creates IGadgetOwner Object with progID
     */
    public IGadgetOwner(String progid) throws com.corlith.kovra.COMException {
        super(progid);
    }
    /**
     * Queries interface of IGadgetOwner Object
     */
    public IGadgetOwner(IUnknown other) throws com.corlith.kovra.COMException {
        super(other);
    }
    /**
     * Creates IGadgetOwner Object with CLSID
     */
    public IGadgetOwner(GUID ClsID) throws com.corlith.kovra.COMException {
        super(ClsID);
    }
    /**
     * The owner's name
     */
    public java.lang.String getName() throws com.corlith.kovra.COMException {
        return (java.lang.String) get("Name");
    }
    /**
     * 
     */
    public void Adopt(DispatchPtr gadget) throws com.corlith.kovra.COMException {
        invokeN("Adopt", new java.lang.Object[]{gadget}, 1, false);
    }
}
