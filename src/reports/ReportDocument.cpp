#include "reports/ReportDocument.h"

#include "records/FileStore.h"

#include <QBuffer>
#include <QPdfWriter>

namespace merlox2 {

namespace {

// As a printed page: vector drawing, so the resolution costs no memory.
constexpr int PageDpi = 1200;
constexpr qreal MarginPt = 10;

} // namespace

QPageLayout savedPageLayout()
{
    if (const Result<QPageLayout> printer = defaultPrinterPageLayout())
        return printer.value();
    return {QPageSize(QPageSize::Letter), QPageLayout::Portrait,
            QMarginsF(MarginPt, MarginPt, MarginPt, MarginPt), QPageLayout::Point};
}

QByteArray drawPdf(const QString &title, const QPageLayout &layout, const PageDrawer &draw)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(PageDpi);
        writer.setPageLayout(layout);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("MERLOX2"));
        if (!draw(writer))
            return {};
    }
    return pdf.data();
}

Result<void> savePdfFile(const QString &path, const QByteArray &pdf)
{
    const Result<filestore::Current> current = filestore::readCurrent(path, Action::SaveDocumentPdf);
    if (!current)
        return current.error();
    return filestore::replaceContent(current.value(), pdf,
                                     {Action::SaveDocumentPdf, Action::FinishSavingDocumentPdf},
                                     filestore::InPlace::Refused);
}

} // namespace merlox2
