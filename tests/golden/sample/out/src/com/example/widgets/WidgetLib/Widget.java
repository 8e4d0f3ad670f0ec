// created by Tessivar
// from TypeLib at @WORK@/lib/widget.tlb
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;

public interface Widget {
    public static final GUID clsID = new GUID("{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}");
    public static final String progID = new String("");
}
