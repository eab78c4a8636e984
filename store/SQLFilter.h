#pragma once

#include <QString>
#include <QVariantList>

// A reading statement with "?" placeholders and the values bound to them, in order. Text a user typed
// travels only as a bound value, so it can never change the statement; an empty statement means the
// unfiltered list.
struct TSQLFilter {
    TSQLFilter() = default;
    // A whole statement, with the values for its placeholders when it has any.
    TSQLFilter(const char* sStatement) : sSQL(QString::fromUtf8(sStatement)) {}
    TSQLFilter(QString sStatement, QVariantList aBound = {})
        : sSQL(std::move(sStatement)), aValues(std::move(aBound)) {}

    QString sSQL;
    QVariantList aValues;

    bool IsEmpty() const { return sSQL.isEmpty(); }
    bool operator==(const TSQLFilter&) const = default;
};
