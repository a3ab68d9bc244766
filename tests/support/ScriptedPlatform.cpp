#include "ScriptedPlatform.h"

int ScriptedPlatform::MsgBox(const QString& text, int style, const QString& title) {
    messages.append({text, style, title});
    if (whileMsgBoxOpen)
        whileMsgBoxOpen(messages.last());
    return msgBoxAnswers.isEmpty() ? vbOK : msgBoxAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::InputBox(const QString& prompt, const QString& title) {
    inputs.append({prompt, title});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::SaveFileName(const QString& title,
                                                      const QString& suggested,
                                                      const QString& filter) {
    saves.append({title, suggested, filter});
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

QString ScriptedPlatform::Shell(const QString& program, int windowStyle) {
    started.append({program, windowStyle});
    return shellError;
}
