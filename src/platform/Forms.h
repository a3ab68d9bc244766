#pragma once

#include "Platform.h"
#include "Store.h"

#include <QObject>
#include <QString>
#include <map>
#include <memory>

class Form;

// The program's windows, each existing once per run and addressed by its name, with what they
// share: the platform, the store of the test's tables and the help file. The program ends when no
// window is loaded any more, or at once by End().
class Forms : public QObject {
    Q_OBJECT
public:
    Forms(Platform& platform, Store store);
    ~Forms() override;

    Platform& platform() const { return m_platform; }
    // Where the test's tables live, for every window's record sources and readers.
    const Store& store() const { return m_store; }

    void add(std::unique_ptr<Form> form);
    Form* find(const QString& name) const;
    template <class T> T& get(const QString& name) const { return dynamic_cast<T&>(*find(name)); }

    // Shows the named window without waiting, loading it first when needed. A window this
    // build does not have is reported, never a crash.
    void Show(const QString& name);
    void Unload(const QString& name);
    bool isLoaded(const QString& name) const;

    // The help file that F1 opens, and the key F1 as if pressed in the program's own input.
    void setHelpFile(const QString& file) { m_helpFile = file; }
    const QString& helpFile() const { return m_helpFile; }
    void SendF1();

    // Ends the program at once: no window's unload runs, but every pending edit of the open
    // record sources is written first, so nothing a person typed is lost.
    void End();
    bool ended() const { return m_ended; }
    // The system asks the program to end (a shutdown, a logout): `ending` first, then End().
    void askedToEnd();

    // Called by a window that has unloaded.
    void formUnloaded();
    bool anyLoaded() const;

signals:
    // The program is about to end at the system's request, which no window can refuse: whoever
    // holds what only the program has (a finished test not yet stored) keeps it now, on this
    // thread; events go on while it waits.
    void ending();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openHelpFor(QObject* target);

    Platform& m_platform;
    Store m_store;
    QString m_helpFile;
    std::map<QString, std::unique_ptr<Form>> m_forms;
    bool m_ended = false;
    bool m_askedToEnd = false;
    bool m_quitCheckPending = false;
};
