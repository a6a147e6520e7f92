#pragma once
#include "platform/classes/FormIO.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Controls.h"

// Reads into Root, as form "Form1", a description holding one component of class T called Name
// with the given property lines, and returns that component.
template <class T>
T* ReadAlone(TWinControl& Root, const AnsiString& Name, const AnsiString& Lines) {
    Root.SetName("Form1");
    ReadComponentRes(&Root, "object Form1: TWinControl\nobject " + Name + ": " + T::StaticClassInfo().Name +
                                "\n" + Lines + "end\nend\n");
    return dynamic_cast<T*>(Root.FindComponent(Name));
}
