#pragma once

#include <QString>

// What kind of value a field holds, read from its declared type.
enum class FieldKind {
    Counter, // assigned by the database, read only
    Text,
    YesNo,  // stored as -1 (true) and 0 (false), never empty
    Whole,  // whole number, may be empty
    Number, // any number, may be empty
};

struct Field {
    QString name;
    FieldKind kind = FieldKind::Text;
};
