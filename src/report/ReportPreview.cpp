#include "ReportPreview.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

namespace report {

namespace {
constexpr int kGap = 12; // pixels of grey around the page
}

// The sheet of paper: its size follows the zoom, its painting is the preview's current page.
class ReportPageView : public QWidget {
public:
    explicit ReportPageView(ReportPreview& preview) : QWidget(&preview), m_preview(preview) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_preview.paintPage(painter);
    }

private:
    ReportPreview& m_preview;
};

ReportPreview::ReportPreview(QWidget* parent)
    : QScrollArea(parent), m_view(new ReportPageView(*this)) {
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignCenter);
    setWidget(m_view);
}

void ReportPreview::setRenderer(std::shared_ptr<const ReportRenderer> renderer) {
    m_renderer = std::move(renderer);
    m_layout = m_renderer->defaultPageLayout();
    m_body = ReportRenderer::bodyHeight(m_layout);
    m_pages = m_renderer->pages(m_body);
    m_current = 0;
    resizeView();
    setCurrentPage(1);
}

void ReportPreview::setCurrentPage(int page) {
    const int clamped = std::clamp(page, pageCount() ? 1 : 0, pageCount());
    if (clamped == m_current)
        return;
    m_current = clamped;
    verticalScrollBar()->setValue(0);
    m_view->update();
    emit pageChanged(m_current);
}

void ReportPreview::setZoom(int percent) {
    m_zoom = percent;
    resizeView();
}

// The frame shows the keyboard's focus, as other controls do; the page may fill the view.
bool ReportPreview::event(QEvent* event) {
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    return handled;
}

void ReportPreview::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (m_zoom == 0)
        resizeView();
}

qreal ReportPreview::scale() const {
    const qreal natural = logicalDpiY() / 1440.0;
    if (m_zoom > 0)
        return natural * m_zoom / 100.0;
    const QSizeF paper = m_layout.fullRect(QPageLayout::Point).size() * 20; // twips
    if (paper.isEmpty())
        return natural;
    const QSizeF room = QSizeF(viewport()->size()) - QSizeF(2 * kGap, 2 * kGap);
    return std::max(0.01, std::min(room.width() / paper.width(), room.height() / paper.height()));
}

QSizeF ReportPreview::pagePixels() const {
    return m_layout.fullRect(QPageLayout::Point).size() * 20 * scale();
}

void ReportPreview::resizeView() {
    const QSizeF page = pagePixels();
    m_view->resize(qCeil(page.width()) + 2 * kGap, qCeil(page.height()) + 2 * kGap);
    m_view->update();
}

void ReportPreview::paintPage(QPainter& painter) const {
    const QRectF sheet(QPointF(kGap, kGap), pagePixels());
    painter.fillRect(sheet, Qt::white);
    painter.setPen(Qt::darkGray);
    painter.drawRect(sheet);
    if (!m_renderer || m_current == 0)
        return;
    const QRectF printable = m_layout.paintRect(QPageLayout::Point);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(sheet.topLeft() + printable.topLeft() * 20 * scale());
    painter.scale(scale(), scale());
    m_renderer->drawPage(painter, m_pages[m_current - 1], m_body);
}

} // namespace report
