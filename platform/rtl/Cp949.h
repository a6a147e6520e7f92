#pragma once
#include "platform/rtl/Strings.h"

// The Korean code page of stored text. Conversion errors name the offending character.
std::string Utf8ToCp949(const AnsiString& Utf8);
AnsiString Cp949ToUtf8(const std::string& Bytes);
// Length of the text in CP949 bytes; raises EConvertError when CP949 cannot hold it.
int Cp949Length(const AnsiString& Utf8);
// True when every character of the text exists in CP949.
bool IsCp949Representable(const AnsiString& Utf8);
