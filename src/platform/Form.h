#pragma once

#include "Status.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DataControl;
class Form;
class FormTimer;
class Forms;
class Platform;
class QCloseEvent;

// Twips (1/1440 inch) and pixels at 96 dpi: every window converts through these.
constexpr int kTwipsPerPixel = 15;
constexpr int twips(int t) {
    return t / kTwipsPerPixel;
}
constexpr int twipsOfPixels(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A fixed single border is 3 px on each side and the caption 19 px: a window's outer size in
// twips less these is its client area.
constexpr int kFixedFrameWidthTwips = twipsOfPixels(2 * 3);
constexpr int kFixedFrameHeightTwips = twipsOfPixels(2 * 3 + 19);

// The top-level widget of a loaded window. Its close box asks the window, which may refuse.
class FormWidget : public QWidget {
    Q_OBJECT
public:
    explicit FormWidget(Form& form);

protected:
    void closeEvent(QCloseEvent* event) override;
    // No window has a minimise or maximise box, and some have no taskbar button to come back
    // by: whatever the window manager offers, the window stays as it is.
    void changeEvent(QEvent* event) override;

private:
    Form& m_form;
};

// One window of the program. The object lives for the whole run and keeps the window's
// variables; loading builds its controls, timers and record sources, unloading destroys them.
class Form : public QObject {
    Q_OBJECT
public:
    // Fixed: a fixed single border; Dialog: the same as a fixed dialog frame, with no taskbar
    // button; Tool: a fixed tool window; None: no frame. Only Fixed windows have a button on the
    // taskbar.
    enum class Border { Fixed, Dialog, Tool, None };

    Form(Forms& forms, QString name);
    ~Form() override;

    const QString& name() const { return m_name; }
    bool isLoaded() const { return m_widget != nullptr; }
    bool isVisible() const;
    FormWidget* widget() const { return m_widget; }

    void Show();   // loads when needed; never waits
    void Hide();   // stays loaded
    bool Unload(); // false when Form_Unload cancelled it or a dialog is open
    void Load();

    // For the program's end: write every pending edit, stop every timer, run no handler.
    void flushForEnd();

    void setCaption(const QString& caption);
    QString caption() const;
    // Centres the whole window, frame and caption with it, as the platform does.
    void Centre();
    // The window's outer size in pixels: its client area and the frame the window manager drew
    // around it, or the platform's fixed single border while it has drawn none.
    QSize frameSize() const;

    Platform& platform() const;
    // Shows a failure in words: a message box with the critical icon.
    void report(const Status& status, const QString& title = QStringLiteral("Ошибка")) const;
    // Asks where to save a table for a spreadsheet, suggesting `fileName` in the home folder;
    // the name chosen ends in ".csv". Empty when the person cancelled.
    std::optional<QString> askCsvFile(const QString& title, const QString& fileName) const;

protected:
    // Builds the window's controls on `widget` (usually ui->setupUi) and wires them; called on
    // every load before Form_Load.
    virtual void createControls(FormWidget& widget) = 0;
    virtual void Form_Load() {}
    virtual void Form_Unload(int& cancel) { (void)cancel; }
    // Runs at the end of every Show(), also when the window was showing already and is only
    // brought to the front.
    virtual void Form_Activate() {}
    // Runs after the window has unloaded, when its controls are gone (reset ui pointers here).
    virtual void controlsDestroyed() {}

    // Client area in twips, border and caption; call from createControls.
    void setClientSize(int widthTwips, int heightTwips, Border border = Border::Fixed);

    // A timer of this window: stops on unload, never re-enters its own tick.
    FormTimer* addTimer(const QString& name, int intervalMs, bool enabled,
                        std::function<void()> tick);
    // A record source of this window on one whole table of the database; opened after
    // Form_Load, closed (pending edit written) on unload.
    DataControl* addData(const QString& name, const QString& table);

    Forms& forms() const { return m_forms; }

private:
    friend class FormWidget;
    bool closeRequested();
    bool deferToOpenDialog() const;
    void destroyControls();

    Forms& m_forms;
    QString m_name;
    QPointer<FormWidget> m_widget;
    std::vector<FormTimer*> m_timers;
    std::vector<DataControl*> m_data;
    bool m_unloading = false;
    Border m_border = Border::Fixed;
};
