#include "platform/PrintModule.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QScopeGuard>
#include <QWidget>

#include <cups/cups.h>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace merlox2 {

namespace {

// The page's coordinates; the drawing stays vector, so the resolution costs no memory.
constexpr int PageDpi = 1200;

// The least margin of the page, where printers can't print or smudge: Qt's for a printer.
constexpr qreal MinimumMarginPt = 10;

QString lastCupsError() { return QString::fromUtf8(cupsLastErrorString()); }

// A connection to the print server on which no wait outlasts the deadline. The connection is our own,
// not libcups' shared one, so that its time limit applies to every request we make.
class PrintServer {
public:
    explicit PrintServer(int answerWithinMs = PrintServerAnswerWithinMs)
    {
        // Settings read afresh at each print: a teacher who fixes them can print again at once.
        cupsSetServer(nullptr);
        m_name = QString::fromLocal8Bit(cupsServer());
        m_localSocket = m_name.startsWith(u'/');
        if (!m_localSocket) // a host, not a socket file
            m_name += u':' + QString::number(ippPort());
        restartClock(answerWithinMs);
        m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              answerWithinMs, nullptr);
        if (m_http)
            httpSetTimeout(m_http, 0.1, &PrintServer::keepWaiting, this);
        else
            m_silent = m_deadline.hasExpired();
    }
    ~PrintServer()
    {
        if (m_http)
            httpClose(m_http);
    }
    PrintServer(const PrintServer &) = delete;
    PrintServer &operator=(const PrintServer &) = delete;

    http_t *http() const { return m_http; }
    const QString &name() const { return m_name; }
    bool localSocket() const { return m_localSocket; }
    // Whether a wait on the server ran out of time.
    bool silent() const { return m_silent; }
    void restartClock(int answerWithinMs = PrintServerAnswerWithinMs)
    {
        m_deadline.setRemainingTime(answerWithinMs);
    }

private:
    static int keepWaiting(http_t * /*connection*/, void *self)
    {
        auto *server = static_cast<PrintServer *>(self);
        if (!server->m_deadline.hasExpired())
            return 1;
        server->m_silent = true;
        return 0;
    }

    http_t *m_http = nullptr;
    QString m_name;
    bool m_localSocket = false;
    QDeadlineTimer m_deadline;
    bool m_silent = false;
};

// Sends one request and reads its answer within the server's time limit. Unlike libcups' own requests, the
// request goes out whole at once, not after asking the server whether it may ("Expect: 100-continue", which
// libcups waits a fixed second for), and on the local socket with the user's own credentials, which the
// server checks itself: a request that the server reads only after we stopped waiting is still carried out.
ipp_t *exchange(PrintServer &server, ipp_t *request, const char *resource)
{
    http_t *http = server.http();
    httpClearFields(http);
    httpSetField(http, HTTP_FIELD_CONTENT_TYPE, "application/ipp");
    if (server.localSocket()) {
        httpSetAuthString(http, "PeerCred", cupsUser());
        httpSetField(http, HTTP_FIELD_AUTHORIZATION, httpGetAuthString(http));
    }
    httpSetLength(http, ippLength(request));
    bool sent = httpPost(http, resource) == 0;
    for (ipp_state_t state = IPP_STATE_IDLE; sent && state != IPP_STATE_DATA;) {
        state = ippWrite(http, request);
        sent = state != IPP_STATE_ERROR;
    }
    sent = sent && httpFlushWrite(http) >= 0;
    ippDelete(request);
    return sent ? cupsGetResponse(http, resource) : nullptr;
}

// A request about one printer, or one of its jobs, in the user's name.
ipp_t *printerRequest(ipp_op_t operation, const char *printer)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", printer);
    ipp_t *request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

// Cancels a job that will not get its page, on a connection of its own with a short time limit: the job's
// connection may be stuck in a request that the server never answered. A server that is only slow cancels
// the job once it answers again; left alone, the empty job would stay on it for a quarter of an hour.
void cancelJob(const char *printer, int job)
{
    PrintServer server(PrintServerFollowUpWithinMs);
    if (!server.http())
        return;
    ipp_t *request = printerRequest(IPP_OP_CANCEL_JOB, printer);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    ippDelete(exchange(server, request, "/jobs/"));
}

// Whether the printer is stopped, asked once the sheet is in its queue. A server that does not answer at
// once leaves it unknown: the sheet counts as printed either way.
void readPrinterState(PrintServer &server, const char *printer, PrintedSheet &sheet)
{
    server.restartClock(PrintServerFollowUpWithinMs);
    ipp_t *request = printerRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printer);
    static const char *const wanted[] = {"printer-state", "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    ipp_t *response = exchange(server, request, "/");
    sheet.printerStopped =
        ippGetInteger(ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0) == IPP_PSTATE_STOPPED;
    sheet.printerMessage =
        QString::fromUtf8(
            ippGetString(ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0, nullptr))
            .trimmed();
    ippDelete(response);
}

Error notAnswering(const PrintServer &server)
{
    return Error{.action = Action::Print, .cause = Cause::PrintServerSilent, .subject = server.name()};
}

// The printer's default paper (A4 where it names none), with the least margin on each side, more where
// the printer can't print as near the edge.
QPageLayout defaultPageLayout(const PrintServer &server, cups_dest_t *dest)
{
    QPageSize paper(QPageSize::A4);
    QMarginsF margins(MinimumMarginPt, MinimumMarginPt, MinimumMarginPt, MinimumMarginPt);

    cups_dinfo_t *info = cupsCopyDestInfo(server.http(), dest);
    // The user's choice (lpoptions), else the printer's default. (cupsGetDestMediaDefault would skip
    // the printer's default for US Letter.)
    QByteArray media = cupsGetOption("media", dest->num_options, dest->options);
    if (ipp_attribute_t *printerDefault = cupsFindDestDefault(server.http(), dest, info, "media");
        media.isEmpty() && printerDefault)
        media = ippGetString(printerDefault, 0, nullptr);
    cups_size_t size{};
    if (info && !media.isEmpty() &&
        cupsGetDestMediaByName(server.http(), dest, info, media.constData(), 0, &size) && size.width > 0 &&
        size.length > 0) {
        // CUPS measures in hundredths of a millimetre.
        const auto points = [](int hundredthsMm) {
            return std::max(MinimumMarginPt, hundredthsMm / 100.0 / 25.4 * 72.0);
        };
        paper = QPageSize(QSizeF(size.width / 100.0, size.length / 100.0), QPageSize::Millimeter);
        margins = QMarginsF(points(size.left), points(size.top), points(size.right), points(size.bottom));
    }
    cupsFreeDestInfo(info);
    return {paper, QPageLayout::Portrait, margins, QPageLayout::Point};
}

// The page as a PDF document, drawn with the widgets' own vector painting. (Drawing on a QPrinter
// would not do: Qt paints a widget for a printer into a picture of the whole page at the printer's
// resolution first, hundreds of megabytes.)
QByteArray drawPage(QWidget *screen, QRect area, const QPageLayout &layout)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(PageDpi);
    writer.setPageLayout(layout);
    writer.setTitle(screen->windowTitle());
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    const qreal scale = qreal(writer.width()) / area.width();
    painter.scale(scale, scale);
    screen->render(&painter, QPoint(), QRegion(area), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!painter.end())
        return {};
    return pdf.data();
}

// Why the print system turned the job away, with its own words for it.
Error refusal(const QString &printerName, ipp_status_t status)
{
    Cause cause = Cause::JobRefused;
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS: cause = Cause::PrinterNotAccepting; break;
    case IPP_STATUS_ERROR_NOT_FOUND: cause = Cause::PrinterGone; break;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED: cause = Cause::PermissionDenied; break;
    default: break;
    }
    return Error{.action = Action::Print,
                 .cause = cause,
                 .subject = printerName,
                 .detail = lastCupsError(),
                 .systemCode = int(status)};
}

// The document drawn for the default printer's paper and sent to it as one job; drawDocument gives the PDF
// (empty where it could not be drawn).
PrintOutcome printThroughPrintService(const QString &title,
                                      const std::function<QByteArray(const QPageLayout &)> &drawDocument)
{
    PrintServer server;
    if (!server.http()) {
        if (server.silent())
            return notAnswering(server);
        return Error{.action = Action::Print, .cause = Cause::NoPrintServer, .subject = server.name()};
    }

    // The default as libcups chooses it: LPDEST or PRINTER, then lpoptions, then the server's.
    cups_dest_t *dest = cupsGetNamedDest(server.http(), nullptr, nullptr);
    const auto freeDest = qScopeGuard([&dest] { cupsFreeDests(dest ? 1 : 0, dest); });
    if (server.silent())
        return notAnswering(server);
    if (!dest)
        return Error{.action = Action::Print, .cause = Cause::NoDefaultPrinter};
    const QString printerName = QString::fromLocal8Bit(dest->name);
    const QPageLayout layout = defaultPageLayout(server, dest);
    if (server.silent())
        return notAnswering(server);

    const QByteArray pdf = drawDocument(layout);
    if (pdf.isEmpty())
        return Error{.action = Action::Print, .cause = Cause::PageNotDrawn, .subject = printerName};

    server.restartClock();
    const QByteArray titleText = title.toUtf8();
    const int job = cupsCreateJob(server.http(), dest->name, titleText.constData(), 0, nullptr);
    if (server.silent())
        return notAnswering(server);
    if (job == 0)
        return refusal(printerName, cupsLastError());
    http_status_t sent =
        cupsStartDocument(server.http(), dest->name, job, titleText.constData(), CUPS_FORMAT_PDF, 1);
    if (sent == HTTP_STATUS_CONTINUE)
        sent = cupsWriteRequestData(server.http(), pdf.constData(), size_t(pdf.size()));
    const ipp_status_t finished =
        sent == HTTP_STATUS_CONTINUE ? cupsFinishDocument(server.http(), dest->name) : cupsLastError();
    if (server.silent() || sent != HTTP_STATUS_CONTINUE || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
        // The job would wait on the server for a page that never comes, or print after all once a silent
        // server comes back, when the teacher has been told that it failed and has printed again.
        const Error failed = server.silent() ? notAnswering(server) : refusal(printerName, finished);
        cancelJob(dest->name, job);
        return failed;
    }
    PrintedSheet sheet{.printer = printerName};
    readPrinterState(server, dest->name, sheet);
    return sheet;
}

// A document of the caller's pages, at the same resolution as a printed screen.
QByteArray drawPages(const QString &title, const PageDrawer &draw, const QPageLayout &layout)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(PageDpi);
        writer.setPageLayout(layout);
        writer.setTitle(title);
        if (!draw(writer))
            return {};
    } // the writer finishes the document as it goes
    return pdf.data();
}

} // namespace

PrintOutcome printThroughPrintService(QWidget *screen, QRect area)
{
    return printThroughPrintService(screen->windowTitle(), [screen, area](const QPageLayout &layout) {
        return drawPage(screen, area, layout);
    });
}

Result<QPageLayout> pageLayoutThroughPrintService()
{
    PrintServer server;
    if (!server.http()) {
        if (server.silent())
            return notAnswering(server);
        return Error{.action = Action::Print, .cause = Cause::NoPrintServer, .subject = server.name()};
    }
    cups_dest_t *dest = cupsGetNamedDest(server.http(), nullptr, nullptr);
    const auto freeDest = qScopeGuard([&dest] { cupsFreeDests(dest ? 1 : 0, dest); });
    if (server.silent())
        return notAnswering(server);
    if (!dest)
        return Error{.action = Action::Print, .cause = Cause::NoDefaultPrinter};
    const QPageLayout layout = defaultPageLayout(server, dest);
    if (server.silent())
        return notAnswering(server);
    return layout;
}

PrintOutcome printPagesThroughPrintService(const QString &title, const PageDrawer &draw)
{
    return printThroughPrintService(
        title, [&title, &draw](const QPageLayout &layout) { return drawPages(title, draw, layout); });
}

} // namespace merlox2
