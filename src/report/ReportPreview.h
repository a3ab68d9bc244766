#pragma once

#include "ReportRenderer.h"

#include <QScrollArea>
#include <memory>
#include <vector>

namespace report {

class ReportPageView;

// The pages of a report on the screen, one at a time and drawn only when shown, so the first
// page appears at once however long the report is.
class ReportPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit ReportPreview(QWidget* parent = nullptr);

    void setRenderer(std::shared_ptr<const ReportRenderer> renderer);

    int pageCount() const { return int(m_pages.size()); }
    int currentPage() const { return m_current; } // counted from 1; 0 with no report
    void setCurrentPage(int page);

    // Percent of the natural size; 0 fits the whole page into the view.
    void setZoom(int percent);
    qreal scale() const; // screen pixels per twip

signals:
    void pageChanged(int page);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class ReportPageView;
    void paintPage(QPainter& painter) const;
    QSizeF pagePixels() const;
    void resizeView();

    std::shared_ptr<const ReportRenderer> m_renderer;
    QPageLayout m_layout;
    std::vector<ReportPage> m_pages;
    int m_body = 0;
    int m_current = 0;
    int m_zoom = 100;
    ReportPageView* m_view;
};

} // namespace report
