// created by Tessivar
// from TypeLib at C:\lib\widget.tlb
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

import com.corlith.kovra.*;

public interface Widget {
    public static final GUID clsID = new GUID("{1B4C9C1E-0000-4000-8000-00AA00BB00CC}");
    public static final String progID = new String("WidgetLib.Widget");
}
