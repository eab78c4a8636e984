#pragma once

#include <QString>
#include <QVariantList>

// A query of a session's level rows: the whole statement with its placeholders and the values bound to
// them. Parameter ?1 is the session's identifier; aValues are bound to ?2, ?3, ... in order. Empty: every
// level row of the session in arrival order. The level table and the review charts read through the same
// filter, so a chart shows exactly the rows the table showed.
struct TDataFilter {
    TDataFilter() = default;
    TDataFilter(QString sStatementIn, QVariantList aValuesIn = {})
        : sStatement(std::move(sStatementIn)), aValues(std::move(aValuesIn)) {}

    QString sStatement;
    // Texts, reals or integers.
    QVariantList aValues;

    bool IsEmpty() const { return sStatement.isEmpty(); }
    bool operator==(const TDataFilter&) const = default;
};
