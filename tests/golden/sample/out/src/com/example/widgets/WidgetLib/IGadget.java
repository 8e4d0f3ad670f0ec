// created by Tessivar
// from TypeLib at 
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;
import com.corlith.kovra.constants.*;
import com.corlith.kovra.marshal.*;
import com.corlith.io.*;
import java.io.*;

public class IGadget extends DispatchPtr {
    public int getTypeInfoToken() {
        return 0;
    }

    static public final GUID proxyIID = new GUID("{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D03}");

    static public final int iidToken;

    static {
        iidToken = IdentityManager.registerProxy(proxyIID, IGadget.class);
    }

    /**
     * Returns Guid Token for this class
     */
    public int getGuidToken() {
        return iidToken;
    }

    /**
     * Creates empty IGadget Object
     */
    public IGadget() throws com.corlith.kovra.COMException {
        super();
    }
    /**
     * Creates IGadget Object with progID
     */
    public IGadget(String progid) throws com.corlith.kovra.COMException {
        super(progid);
    }
    /**
     * Queries interface of IGadget Object
     */
    public IGadget(IUnknown other) throws com.corlith.kovra.COMException {
        super(other);
    }
    /**
     * Creates IGadget Object with CLSID
     */
    public IGadget(GUID ClsID) throws com.corlith.kovra.COMException {
        super(ClsID);
    }
    /**
     * 
     */
    public void Find(int index, StringRef label) throws com.corlith.kovra.COMException {
        invokeN("Find", new java.lang.Object[]{new java.lang.Integer(index), label}, 2, false);
    }
    /**
     * 
     */
    public IGadgetOwner Owner() throws com.corlith.kovra.COMException {
        return new IGadgetOwner((DispatchPtr) invoke("Owner"));
    }
    /**
     * 
     */
    public void setSize(int newSize) throws com.corlith.kovra.COMException {
        put("Size", new java.lang.Integer(newSize));
    }
    /**
     * 
     */
    public int getSize() throws com.corlith.kovra.COMException {
        return ((java.lang.Integer) get("Size")).intValue();
    }
}
