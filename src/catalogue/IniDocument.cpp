#include "catalogue/IniDocument.h"

// Placeholder until the INI rules are built: an always-empty document.
TIniDocument::TIniDocument(QString fileName) : FFileName(std::move(fileName)) {}
QStringList TIniDocument::ReadSections() const {
    return {};
}
QStringList TIniDocument::ReadSection(const QString&) const {
    return {};
}
bool TIniDocument::SectionExists(const QString&) const {
    return false;
}
bool TIniDocument::ValueExists(const QString&, const QString&) const {
    return false;
}
QString TIniDocument::ReadString(const QString&, const QString&, const QString& def) const {
    return def;
}
int TIniDocument::ReadInteger(const QString&, const QString&, int def) const {
    return def;
}
void TIniDocument::WriteString(const QString&, const QString&, const QString&) {}
void TIniDocument::WriteInteger(const QString&, const QString&, int) {}
QString TIniDocument::Text() const {
    return {};
}
void TIniDocument::UpdateFile() {}
void TIniDocument::SetText(const QString&) {}
