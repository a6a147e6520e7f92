#pragma once
#include <string_view>

#include "platform/classes/TypInfo.h"

// Form descriptions: nested "object Name: TClass ... end" blocks of property assignments.
//
// Reads a description into an existing root (a form or data module): creates the components
// through the class registry with the root as owner, sets the root's fields, applies properties
// in the order written, binds events to the root's handlers, resolves references once their root
// exists, and calls Loaded on every component read. A malformed text raises EReadError with its
// line number.
void ReadComponentRes(TComponent* Root, std::string_view Text);
// Writes a root and its children back, storing only values that differ from their defaults.
AnsiString WriteComponentRes(TComponent* Root);
// Writes the stored properties of one object (and its nested objects), indented by Indent.
AnsiString WriteProperties(TPersistent* Obj, int Indent);

// Parses a description without creating anything: for tools and tests that only inspect it.
struct TFormNode {
    AnsiString Name;
    AnsiString ClassName;
    std::vector<TFormValue::TAssignment> Props;
    std::vector<TFormNode> Children;
    int Line = 0;
};
// Forgets references still waiting for a root on behalf of a component that goes away.
void DropPendingFixups(TComponent* Holder);
TFormNode ParseFormText(std::string_view Text);  // EReadError with the line number

