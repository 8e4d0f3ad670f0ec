// created by Tessivar
// from TypeLib at @WORK@/lib/widget.tlb
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;
import com.corlith.kovra.constants.*;
import com.corlith.kovra.marshal.*;
import com.corlith.io.*;
import java.io.*;

public class IWidget extends DispatchPtr {
    public int getTypeInfoToken() {
        return 0;
    }

    static public final GUID proxyIID = new GUID("{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D05}");

    static public final int iidToken;

    static {
        iidToken = IdentityManager.registerProxy(proxyIID, IWidget.class);
    }

    /**
     * Returns Guid Token for this class
     */
    public int getGuidToken() {
        return iidToken;
    }

    /**
     * Creates empty IWidget Object
     */
    public IWidget() throws com.corlith.kovra.COMException {
        super();
    }
    /**
     * Creates IWidget Object with progID
     */
    public IWidget(String progid) throws com.corlith.kovra.COMException {
        super(progid);
    }
    /**
     * Queries interface of IWidget Object
     */
    public IWidget(IUnknown other) throws com.corlith.kovra.COMException {
        super(other);
    }
    /**
     * Creates IWidget Object with CLSID
     */
    public IWidget(GUID ClsID) throws com.corlith.kovra.COMException {
        super(ClsID);
    }
    /**
     * The widget's colour
     */
    public int getColor() throws com.corlith.kovra.COMException {
        return ((java.lang.Integer) get("Color")).intValue();
    }
    /**
     * The widget's colour
     */
    public void setColor(int newColor) throws com.corlith.kovra.COMException {
        put("Color", new java.lang.Integer(newColor));
    }
    /**
     * 
     */
    public java.lang.String getCaption() throws com.corlith.kovra.COMException {
        return (java.lang.String) get("Caption");
    }
    /**
     * 
     */
    public void setCaption(java.lang.String newCaption) throws com.corlith.kovra.COMException {
        put("Caption", newCaption);
    }
    /**
     * Moves the widget
     */
    public void Move(int x, int y) throws com.corlith.kovra.COMException {
        invokeN("Move", new java.lang.Object[]{new java.lang.Integer(x), new java.lang.Integer(y)}, 2, false);
    }
    public void Move(int x, int y, java.lang.Object speed) throws com.corlith.kovra.COMException {
        invokeN("Move", new java.lang.Object[]{new java.lang.Integer(x), new java.lang.Integer(y), speed}, 3, false);
    }
    /**
     * 
     */
    public IGadget gadget() throws com.corlith.kovra.COMException {
        return new IGadget((DispatchPtr) invoke("gadget"));
    }
    /**
     * 
     */
    public int Paint(int Color, boolean highlight) throws com.corlith.kovra.COMException {
        return ((java.lang.Integer) invokeN("Paint", new java.lang.Object[]{new java.lang.Integer(Color), new java.lang.Boolean(highlight)}, 2)).intValue();
    }
}
