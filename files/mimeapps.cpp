#include "mimeapps.h"

#include <QStringList>

namespace {

const QString kSection = QStringLiteral("[Default Applications]");

bool IsSectionHeader(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('['));
}

// The key of an entry line, or an empty string for comments and blank lines.
QString EntryKey(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) return {};
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : trimmed.left(equals).trimmed();
}

QString EntryValue(const QString& line) {
    const QString trimmed = line.trimmed();
    return trimmed.mid(trimmed.indexOf(QLatin1Char('=')) + 1).trimmed();
}

} // namespace

std::optional<QString> DefaultApplicationEntry(const QString& text, const QString& mimeType) {
    bool inSection = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (IsSectionHeader(line)) {
            inSection = line.trimmed() == kSection;
        } else if (inSection && EntryKey(line) == mimeType) {
            return EntryValue(line);
        }
    }
    return std::nullopt;
}

QString FirstDesktopId(const QString& entry) {
    for (const QString& part : entry.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty()) return part.trimmed();
    return {};
}

QString WithDefaultApplication(const QString& text, const QString& mimeType, const QString& entry) {
    QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    // A text ending in a line break splits into a last empty piece; it comes back on joining.
    const bool endsWithBreak = !text.isEmpty() && text.endsWith(QLatin1Char('\n'));
    if (endsWithBreak) lines.removeLast();
    const QString newLine = mimeType + QLatin1Char('=') + entry;

    qsizetype sectionAt = -1;
    qsizetype insertAt = -1; // after the section's last entry line
    bool inSection = false;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (IsSectionHeader(line)) {
            inSection = line.trimmed() == kSection;
            if (inSection && sectionAt < 0) {
                sectionAt = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (EntryKey(line) == mimeType) {
            if (!replaced && !entry.isEmpty()) {
                lines[i] = newLine;
                replaced = true;
            } else {
                // Removed, or a later duplicate that would only confuse readers.
                lines.removeAt(i--);
            }
            continue;
        }
        if (!line.trimmed().isEmpty()) insertAt = i + 1;
    }
    if (!replaced && !entry.isEmpty()) {
        if (sectionAt >= 0) {
            lines.insert(insertAt, newLine);
        } else {
            if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty()) lines.append(QString());
            lines.append(kSection);
            lines.append(newLine);
        }
    }
    QString result = lines.join(QLatin1Char('\n'));
    if (!result.isEmpty()) result += QLatin1Char('\n');
    return result;
}

std::optional<QString> DesktopExecProgram(const QString& path) {
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) return std::nullopt;
    static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : path)
        needsQuotes = needsQuotes || kReserved.contains(c);
    QString argument;
    if (needsQuotes) {
        argument = QStringLiteral("\"");
        for (const QChar c : path) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = path;
    }
    // A literal percent sign is written twice; a backslash is escaped once more as
    // part of the key's string value.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return argument;
}
