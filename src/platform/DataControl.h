#pragma once

#include "Recordset.h"
#include "Status.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Form;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// A window's hidden record source (the `Data` control): one whole table, controls bound to
// single fields of its current row. A change in a bound text box or check box, by the person
// or by code, is a pending edit; loading a row into a control runs the control's change
// handling but is no edit. Failures are shown to the person as they happen, each fault once:
// a source that could not open says so and then fails quietly, and a fault another source of the
// same window has just shown is not shown again.
class DataControl : public QObject {
    Q_OBJECT
public:
    DataControl(Form& form, const QString& name, QString table, QObject* parent);
    ~DataControl() override;

    const QString& table() const { return m_table; }
    bool isOpen() const { return m_rs != nullptr; }
    Recordset* recordset() const { return m_rs.get(); }

    // Bindings are declared while the window builds its controls.
    void bind(QLineEdit* box, const QString& field);
    void bind(QPlainTextEdit* box, const QString& field);
    void bind(QLabel* label, const QString& field);
    void bind(QCheckBox* box, const QString& field);

    bool open(const Store& store);
    // Opens it again when the first try failed; true when it is open.
    bool retryOpen();
    // Writes the pending edit and closes; the window is unloading.
    void close();

    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool MoveLastUpTo(qint64 key);
    bool AddNew();
    bool Edit();
    bool Update();
    bool Delete();
    bool eof() const { return !m_rs || m_rs->eof(); }
    bool bof() const { return !m_rs || m_rs->bof(); }
    std::optional<qint64> Bookmark() const;
    bool setBookmark(qint64 bookmark);
    bool flush();
    // Drops the pending edit, a new row that was not written included.
    void CancelUpdate();
    bool hasPendingEdit() const { return m_rs && m_rs->hasPendingEdit(); }

    // Shows a failure once; the same failure again is not repeated until an operation succeeds.
    bool check(const Status& status);
    // The window tells the person about this source's failures in words of its own: each one
    // goes to `handler` instead of a message box.
    void setErrorHandler(std::function<void(const Status&)> handler) {
        m_errorHandler = std::move(handler);
    }

signals:
    void rowLoaded();

private:
    struct Binding {
        QPointer<QWidget> widget;
        QString fieldName;
        int field = -1;
    };

    void load(Binding& b);
    void edited(QWidget* widget);
    QVariant widgetValue(QWidget* widget) const;
    Binding* bindingOf(QWidget* widget);
    void refresh();
    bool notOpen();
    bool shownBySibling(const Status& status) const;

    Form& m_form;
    QString m_table;
    std::optional<Store> m_store; // once opened (or tried)
    std::shared_ptr<Database> m_db;
    std::unique_ptr<Recordset> m_rs;
    std::vector<Binding> m_bindings;
    QWidget* m_loadingWidget = nullptr;
    QVariant m_loadingValue;
    QString m_lastReported;
    bool m_openFailed = false;
    std::function<void(const Status&)> m_errorHandler;
};
