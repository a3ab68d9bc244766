#pragma once

#include <QString>

class QCoreApplication;

// Qt's own texts (standard dialogs, the text boxes' context menu) in Russian whatever the
// system's language, since the whole interface is Russian. Empty when installed, otherwise why
// not, in a sentence.
QString installQtTranslation(QCoreApplication& app);
