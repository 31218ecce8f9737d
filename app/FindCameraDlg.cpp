// "Find camera": the scan's window. The scan itself is tools/CameraScan.

#include "app/FindCameraDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "tools/FrameText.h"

CFindCameraDlg::CFindCameraDlg(ScanLink link, QWidget* parent)
    : QDialog(parent), m_link(std::move(link)) {
    setWindowTitle(tr("Find Camera"));
    auto* note = new QLabel(
        tr("Asks every address from 1 to 255 for its pan position (Pelco-D query 0x51) and "
           "waits briefly for the reply. Nothing is sent that moves a camera. Only cameras "
           "that answer queries can be found this way: a camera that only obeys, or one on "
           "a line that carries nothing back (a one-way RS-485 wiring), stays silent."),
        this);
    note->setWordWrap(true);

    auto* rates = new QHBoxLayout;
    rates->addWidget(new QLabel(tr("Baud rates:"), this));
    for (unsigned baud : kBauds) {
        auto* box = new QCheckBox(QString::number(baud), this);
        box->setChecked(baud == 2400 || baud == 4800 || baud == 9600);
        m_baudBoxes.push_back(box);
        rates->addWidget(box);
    }
    rates->addStretch(1);
    auto* protocols = new QHBoxLayout;
    protocols->addWidget(new QLabel(tr("Protocols:"), this));
    m_pelcoD = new QCheckBox(QStringLiteral("Pelco-D"), this);
    m_pelcoD->setChecked(true);
    m_pelcoP = new QCheckBox(QStringLiteral("Pelco-P"), this);
    m_pelcoP->setToolTip(tr("Pelco-P has no standard query; few Pelco-P domes answer one."));
    protocols->addWidget(m_pelcoD);
    protocols->addWidget(m_pelcoP);
    protocols->addStretch(1);

    m_progress = new QProgressBar(this);
    m_status = new QLabel(this);
    m_results = new QTableWidget(0, 4, this);
    m_results->setHorizontalHeaderLabels({tr("Address"), tr("Protocol"), tr("Baud"), tr("Pan")});
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(tr("Start"), this);
    m_apply = new QPushButton(tr("Apply"), this);
    m_apply->setEnabled(false);
    auto* close = new QPushButton(tr("Close"), this);
    for (QPushButton* b : {m_start, m_apply, close}) {
        b->setAutoDefault(false);
    }
    buttons->addWidget(m_start);
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(rates);
    layout->addLayout(protocols);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(m_results, 1);
    layout->addLayout(buttons);
    resize(520, 420);

    m_timer = new QTimer(this);
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, &CFindCameraDlg::Step);
    connect(m_start, &QPushButton::clicked, this, &CFindCameraDlg::OnStartOrCancel);
    connect(m_apply, &QPushButton::clicked, this, &CFindCameraDlg::OnApply);
    connect(close, &QPushButton::clicked, this, &CFindCameraDlg::reject);
    connect(m_results, &QTableWidget::itemSelectionChanged, this,
            [this] { m_apply->setEnabled(!Scanning() && m_results->currentRow() >= 0); });
    m_clock.start();
}

CFindCameraDlg::~CFindCameraDlg() {
    if (Scanning()) {
        Finish(true);
    }
}

void CFindCameraDlg::SetAddressRange(uint8_t first, uint8_t last) {
    m_first = first;
    m_last = last;
}

void CFindCameraDlg::SetClock(std::function<uint32_t()> now) {
    m_now = std::move(now);
}

uint32_t CFindCameraDlg::Now() const {
    return m_now ? m_now() : static_cast<uint32_t>(m_clock.elapsed());
}

void CFindCameraDlg::Received(const uint8_t* data, size_t size) {
    if (m_scan) {
        m_scan->Received(data, size, Now());
        Step();
    }
}

void CFindCameraDlg::OnStartOrCancel() {
    if (Scanning()) {
        Finish(true);
        return;
    }
    CameraScan::Plan plan;
    plan.bauds.clear();
    for (size_t i = 0; i < m_baudBoxes.size(); ++i) {
        if (m_baudBoxes[i]->isChecked()) {
            plan.bauds.push_back(kBauds[i]);
        }
    }
    const std::optional<unsigned> fixed = m_link.fixedBaud ? m_link.fixedBaud() : std::nullopt;
    m_fixedBaud = fixed.has_value();
    if (fixed) {
        plan.bauds = {*fixed};
    }
    plan.pelcoD = m_pelcoD->isChecked();
    plan.pelcoP = m_pelcoP->isChecked();
    plan.firstAddress = m_first;
    plan.lastAddress = m_last;
    if (plan.bauds.empty() || (!plan.pelcoD && !plan.pelcoP)) {
        m_status->setText(tr("Choose at least one baud rate and one protocol."));
        return;
    }
    m_scan = std::make_unique<CameraScan>(plan);
    m_found.clear();
    m_results->setRowCount(0);
    m_apply->setEnabled(false);
    m_progress->setRange(0, static_cast<int>(m_scan->stepsTotal()));
    m_progress->setValue(0);
    m_start->setText(tr("Cancel"));
    m_status->setText(tr("Scanning..."));
    m_timer->start();
    Step();
}

void CFindCameraDlg::Step() {
    if (!m_scan) {
        return;
    }
    for (;;) {
        switch (m_scan->Next(Now())) {
            case CameraScan::Do::Reopen:
                if (!m_link.reopen(m_scan->baud())) {
                    m_status->setText(
                        tr("The port could not be opened at %1 baud.").arg(m_scan->baud()));
                    Finish(true);
                    return;
                }
                m_status->setText(
                    m_fixedBaud ? tr("Scanning a network port at its own settings (%1 baud)...")
                                      .arg(m_scan->baud())
                                : tr("Scanning at %1 baud...").arg(m_scan->baud()));
                continue;
            case CameraScan::Do::Send:
                m_link.send(m_scan->frame());
                continue;
            case CameraScan::Do::Wait:
                break;
            case CameraScan::Do::Done:
                ShowProgress();
                Finish(false);
                return;
        }
        break;
    }
    ShowProgress();
}

void CFindCameraDlg::ShowProgress() {
    m_progress->setValue(static_cast<int>(m_scan->stepsDone()));
    // Rows appear as cameras answer.
    for (size_t i = m_found.size(); i < m_scan->found().size(); ++i) {
        const CameraScan::Found& f = m_scan->found()[i];
        m_found.push_back(f);
        const int row = m_results->rowCount();
        m_results->insertRow(row);
        const QString texts[] = {QString::number(f.address),
                                 QString::fromLatin1(ProtocolName(f.protocol)),
                                 QString::number(f.baud), QString::asprintf("%.2f\u00b0", f.pan)};
        for (int c = 0; c < 4; ++c) {
            m_results->setItem(row, c, new QTableWidgetItem(texts[c]));
        }
    }
}

void CFindCameraDlg::Finish(bool cancelled) {
    m_timer->stop();
    std::unique_ptr<CameraScan> scan = std::move(m_scan);
    m_link.restore();
    m_start->setText(tr("Start"));
    const int count = static_cast<int>(m_found.size());
    m_status->setText(cancelled ? tr("Cancelled; %n camera(s) found.", nullptr, count)
                                : tr("Done; %n camera(s) found.", nullptr, count));
    if (scan && !cancelled) {
        m_progress->setValue(m_progress->maximum());
    }
    if (count > 0 && m_results->currentRow() < 0) {
        m_results->selectRow(0);
    }
    m_apply->setEnabled(count > 0);
}

void CFindCameraDlg::OnApply() {
    const int row = m_results->currentRow();
    if (Scanning() || row < 0 || row >= static_cast<int>(m_found.size())) {
        return;
    }
    m_link.apply(m_found[static_cast<size_t>(row)]);
    m_status->setText(
        tr("Applied: address %1, %2, %3 baud.")
            .arg(m_found[static_cast<size_t>(row)].address)
            .arg(QString::fromLatin1(ProtocolName(m_found[static_cast<size_t>(row)].protocol)))
            .arg(m_found[static_cast<size_t>(row)].baud));
}

void CFindCameraDlg::reject() {
    if (Scanning()) {
        Finish(true);
    }
    QDialog::reject();
}
