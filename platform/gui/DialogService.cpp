#include "DialogService.h"

#include <QStringList>

namespace tembrel {

QString QtNameFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    QStringList parts = filter.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.contains(QLatin1Char('(')) && description.contains(QLatin1Char(')'))) {
            filters << description;
        } else {
            filters << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
        }
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace tembrel
