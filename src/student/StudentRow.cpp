#include "StudentRow.h"

#include "DataControl.h"

bool StudentRow::moveTo(DataControl& data) const {
    return key ? data.setBookmark(*key) : data.MoveLast();
}
