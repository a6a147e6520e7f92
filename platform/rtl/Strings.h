#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

// Text is UTF-8 throughout; CP949 only appears at the edges (files, field widths).
using AnsiString = std::string;

AnsiString IntToStr(int64_t Value);
// Decimal integer with an optional sign and nothing else; EConvertError names the text otherwise.
int StrToInt(const AnsiString& S);
int StrToIntDef(const AnsiString& S, int Default);
AnsiString Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
AnsiString FormatV(const char* Fmt, va_list Args);

AnsiString UpperCase(const AnsiString& S);  // ASCII letters only
AnsiString LowerCase(const AnsiString& S);
AnsiString AnsiUpperCase(const AnsiString& S);  // every cased letter, Unicode aware
AnsiString AnsiLowerCase(const AnsiString& S);
int CompareText(const AnsiString& A, const AnsiString& B);      // ASCII, case ignored
int AnsiCompareText(const AnsiString& A, const AnsiString& B);  // <0, 0, >0, case ignored
bool SameText(const AnsiString& A, const AnsiString& B);
int AnsiPos(const AnsiString& Sub, const AnsiString& S);  // 1-based byte position, 0 when absent
AnsiString Trim(const AnsiString& S);
AnsiString StringOfChar(char C, int Count);
