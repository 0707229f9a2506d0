#include "catalogue/DralForm.h"

#include "support/Exception.h"

QString LowerAsciiOnly(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

bool SameTextAsciiFold(const QString& a, const QString& b) {
    return a.size() == b.size() && LowerAsciiOnly(a) == LowerAsciiOnly(b);
}

TDralForm* TDralFormList::GetRecord(int index) const {
    if (index < 0 || index >= Count())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FItems[size_t(index)].get();
}

void TDralFormList::SetRecord(int index, std::unique_ptr<TDralForm> value) {
    if (index < 0 || index >= Count())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    if (!value)
        throw Exception(QStringLiteral("A catalogue record cannot be empty."));
    FItems[size_t(index)] = std::move(value);
}

TDralForm* TDralFormList::Add(std::unique_ptr<TDralForm> value) {
    // The searches read every record, so the list never holds a null one.
    if (!value)
        throw Exception(QStringLiteral("A catalogue record cannot be empty."));
    FItems.push_back(std::move(value));
    return FItems.back().get();
}

TDralForm* TDralFormList::Add(const QString& keyName, const QString& fileName) {
    return Add(std::make_unique<TDralForm>(TDralForm{keyName, fileName}));
}

void TDralFormList::Clear() {
    FItems.clear();
}

TDralForm* TDralFormList::GetForm(const QString& name) const {
    const QString n = LowerAsciiOnly(name);
    for (const auto& r : FItems)
        if (LowerAsciiOnly(r->KeyName) == n || LowerAsciiOnly(r->FileName) == n)
            return r.get();
    return nullptr;
}

TDralForm* TDralFormList::GetFormByKey(const QString& name) const {
    const QString n = LowerAsciiOnly(name);
    for (const auto& r : FItems)
        if (LowerAsciiOnly(r->KeyName) == n)
            return r.get();
    return nullptr;
}
