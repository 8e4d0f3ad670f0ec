//DO NOT EDIT.
// created by Tessivar
// from TypeLib at 
// check for latest version at https://www.ostrelle.example/tessivar

package com.example.widgets.WidgetLib;

public interface WidgetColor{
    public static final int wcRed = 0;
    public static final int wcGreen = 1;
    public static final int wcNone = -1;
}
