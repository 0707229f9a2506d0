#pragma once

#include "localisation/Translate.h"

#include <QStringList>
#include <initializer_list>

// A message of several lines: each line passes through the catalogue on its
// own, then the lines are joined with CR LF.
inline QString TranslatedLines(std::initializer_list<const char*> lines) {
    QStringList out;
    for (const char* l : lines)
        out << GnuGettext::gettext(QString::fromUtf8(l));
    return out.join(QStringLiteral("\r\n"));
}
