#pragma once
#include <functional>
#include <vector>

#include "platform/rtl/Strings.h"

// An ordered list of strings; files are CP949 with CR LF line breaks and no byte-order mark.
class TStrings {
public:
    virtual ~TStrings() = default;
    int Count() const { return static_cast<int>(FItems.size()); }
    const AnsiString& operator[](int Index) const;
    const AnsiString& Strings(int Index) const { return (*this)[Index]; }
    void SetString(int Index, const AnsiString& S);
    int Add(const AnsiString& S);
    void Insert(int Index, const AnsiString& S);
    void Delete(int Index);
    void Clear();
    int IndexOf(const AnsiString& S) const;
    void Assign(const TStrings& Source);
    // Lines joined by line breaks, each line ending with one.
    AnsiString Text() const;
    void SetText(const AnsiString& Text);  // splits at CR LF, LF or CR
    const std::vector<AnsiString>& Items() const { return FItems; }
    void LoadFromFile(const AnsiString& FileName);  // EFOpenError naming the path
    void SaveToFile(const AnsiString& FileName) const;  // EConvertError for text CP949 cannot hold
    // Called after every change; controls use it to show their lines.
    std::function<void()> OnChange;

protected:
    virtual void Changed();
    std::vector<AnsiString> FItems;
};

class TStringList : public TStrings {};
