#pragma once

#include <QString>
#include <memory>
#include <vector>

// One catalogue record: a companion form key and the base name of the form
// image assigned to it (empty: no form yet).
struct TDralForm {
    QString KeyName;
    QString FileName;
};

// Owning ordered list of records; searches fold only A to Z and return the
// first match in list order.
class TDralFormList {
public:
    int Count() const { return int(FItems.size()); }
    // Raises Exception for a position outside 0..Count-1.
    TDralForm* GetRecord(int index) const;
    void SetRecord(int index, std::unique_ptr<TDralForm> value);
    TDralForm* Add(std::unique_ptr<TDralForm> value);
    TDralForm* Add(const QString& keyName, const QString& fileName);
    void Clear();

    // First record whose KeyName, or else FileName, equals name.
    TDralForm* GetForm(const QString& name) const;
    // First record whose KeyName equals name.
    TDralForm* GetFormByKey(const QString& name) const;

private:
    std::vector<std::unique_ptr<TDralForm>> FItems;
};

// Lower-cases A to Z only; every other character stays as it is.
QString LowerAsciiOnly(const QString& text);
bool SameTextAsciiFold(const QString& a, const QString& b);
