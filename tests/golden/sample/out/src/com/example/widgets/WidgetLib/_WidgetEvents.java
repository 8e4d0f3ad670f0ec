// created by Tessivar
// from TypeLib at @WORK@/lib/widget.tlb
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;
import java.util.*;

public interface _WidgetEvents {
    static public final HashMap mthsMap = new HashMap();

    static public final GUID proxyIID = new GUID("{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D06}");

    public int idClick = 1;
    public void Click(Object srcObj, int x) throws com.corlith.kovra.COMException;

    public int idColorChanged = 2;
    public void ColorChanged(Object srcObj, int Color) throws com.corlith.kovra.COMException;


}
