#include "DataControl.h"

#include "Form.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

DataControl::DataControl(Form& form, const QString& name, QString table, QObject* parent)
    : QObject(parent), m_form(form), m_table(std::move(table)) {
    setObjectName(name);
}

DataControl::~DataControl() = default;

void DataControl::bind(QLineEdit* box, const QString& field) {
    m_bindings.push_back({box, field});
    connect(box, &QLineEdit::textChanged, this, [this, box] { edited(box); });
}

void DataControl::bind(QPlainTextEdit* box, const QString& field) {
    m_bindings.push_back({box, field});
    connect(box, &QPlainTextEdit::textChanged, this, [this, box] { edited(box); });
}

// A stored text is shown as typed: "a<b и b>c" or a tag in a name is no markup.
void DataControl::bind(QLabel* label, const QString& field) {
    label->setTextFormat(Qt::PlainText);
    m_bindings.push_back({label, field});
}

void DataControl::bind(QCheckBox* box, const QString& field) {
    m_bindings.push_back({box, field});
    connect(box, &QCheckBox::stateChanged, this, [this, box] { edited(box); });
}

bool DataControl::open(const Store& store) {
    m_store = store;
    Status status;
    m_db = Database::open(store, status);
    if (m_db)
        m_rs = Recordset::open(m_db, m_table, status);
    m_openFailed = !check(status);
    if (m_openFailed) {
        m_rs.reset();
        return false;
    }
    for (Binding& b : m_bindings) {
        b.field = m_rs->fieldIndex(b.fieldName);
        if (b.field < 0)
            check(Status::failure(QStringLiteral("В таблице «%1» базы данных «%2» нет поля «%3».")
                                      .arg(m_table, m_db->label(), b.fieldName)));
    }
    connect(m_rs.get(), &Recordset::rowLoaded, this, &DataControl::refresh);
    refresh();
    return true;
}

void DataControl::close() {
    if (!m_rs)
        return;
    check(m_rs->flush());
    m_rs.reset();
    m_db.reset();
}

bool DataControl::check(const Status& status) {
    if (status.ok()) {
        m_lastReported.clear();
        return true;
    }
    if (m_errorHandler) {
        m_errorHandler(status);
        return false;
    }
    if (status.error != m_lastReported) {
        m_lastReported = status.error;
        if (!shownBySibling(status))
            m_form.report(status, QStringLiteral("Ошибка базы данных"));
    }
    return false;
}

// A window's sources on one missing file fail alike; the person hears of it once.
bool DataControl::shownBySibling(const Status& status) const {
    for (const DataControl* other :
         parent()->findChildren<DataControl*>(Qt::FindDirectChildrenOnly)) {
        if (other != this && other->m_lastReported == status.error)
            return true;
    }
    return false;
}

// A store that did not answer when the window loaded (a server restarting) may answer now.
bool DataControl::retryOpen() {
    return m_rs || (m_store && open(*m_store));
}

// The failure to open was shown; what follows from it is the same fault.
bool DataControl::notOpen() {
    if (m_openFailed)
        return false;
    return check(Status::failure(QStringLiteral("Таблица «%1» не открыта.").arg(m_table)));
}

void DataControl::CancelUpdate() {
    if (m_rs)
        m_rs->CancelUpdate();
}

#define KVZ_RS_OPERATION(name)                                                                     \
    bool DataControl::name() {                                                                     \
        return retryOpen() ? check(m_rs->name()) : notOpen();                                      \
    }
KVZ_RS_OPERATION(MoveFirst)
KVZ_RS_OPERATION(MoveLast)
KVZ_RS_OPERATION(MoveNext)
KVZ_RS_OPERATION(MovePrevious)
KVZ_RS_OPERATION(AddNew)
KVZ_RS_OPERATION(Edit)
KVZ_RS_OPERATION(Update)
KVZ_RS_OPERATION(Delete)
KVZ_RS_OPERATION(flush)
#undef KVZ_RS_OPERATION

std::optional<qint64> DataControl::Bookmark() const {
    return m_rs ? m_rs->Bookmark() : std::nullopt;
}

bool DataControl::MoveLastUpTo(qint64 key) {
    return retryOpen() ? check(m_rs->MoveLastUpTo(key)) : notOpen();
}

bool DataControl::setBookmark(qint64 bookmark) {
    return retryOpen() ? check(m_rs->setBookmark(bookmark)) : notOpen();
}

void DataControl::refresh() {
    for (Binding& b : m_bindings)
        load(b);
    emit rowLoaded();
}

void DataControl::load(Binding& b) {
    if (!b.widget || b.field < 0)
        return;
    const QVariant value = m_rs->value(b.field);
    QWidget* const previous = m_loadingWidget;
    const QVariant previousValue = m_loadingValue;
    m_loadingWidget = b.widget;
    if (auto* box = qobject_cast<QCheckBox*>(b.widget)) {
        const int state = value.toInt() != 0 ? Qt::Checked : Qt::Unchecked;
        m_loadingValue = state;
        box->setCheckState(Qt::CheckState(state));
    } else {
        const QString text = Recordset::displayText(value);
        m_loadingValue = text;
        if (auto* line = qobject_cast<QLineEdit*>(b.widget))
            line->setText(text);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(b.widget)) {
            if (plain->toPlainText() != text)
                plain->setPlainText(text);
        } else if (auto* label = qobject_cast<QLabel*>(b.widget))
            label->setText(text);
    }
    m_loadingWidget = previous;
    m_loadingValue = previousValue;
}

QVariant DataControl::widgetValue(QWidget* widget) const {
    if (auto* box = qobject_cast<QCheckBox*>(widget))
        return int(box->checkState());
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return plain->toPlainText();
    return {};
}

DataControl::Binding* DataControl::bindingOf(QWidget* widget) {
    for (Binding& b : m_bindings) {
        if (b.widget == widget)
            return &b;
    }
    return nullptr;
}

void DataControl::edited(QWidget* widget) {
    Binding* b = bindingOf(widget);
    if (!m_rs || !b || b->field < 0)
        return;
    const QVariant value = widgetValue(widget);
    // The row being loaded into this very control is no edit; a change made by a change
    // handler during the load (a cut, say) shows another value and is one.
    if (widget == m_loadingWidget && value == m_loadingValue)
        return;
    const bool isCheck = qobject_cast<QCheckBox*>(widget) != nullptr;
    check(m_rs->setValue(b->field,
                         isCheck ? QVariant(value.toInt() == Qt::Checked ? -1 : 0) : value));
}
