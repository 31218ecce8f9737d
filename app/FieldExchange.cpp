// The field exchange: numeric fields read and checked when used or left,
// and the live preview of the frame the hex field would send.

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTimer>

#include "app/Captions.h"
#include "app/OrvaneDlg.h"
#include "console/ManualCommand.h"
#include "console/NumberField.h"

namespace {

// While a mouse button is down a modal report could swallow its release (a
// held button would then keep the dome moving), so it waits.
constexpr int kReportRetryMs = 100;

const char* MarkName(HexTokenMark::Kind kind) {
    switch (kind) {
        case HexTokenMark::NotHex:
            return QT_TRANSLATE_NOOP("COrvaneDlg", "not hex");
        case HexTokenMark::TooLong:
            return QT_TRANSLATE_NOOP("COrvaneDlg", "too long");
        default:
            return QT_TRANSLATE_NOOP("COrvaneDlg", "ignored");
    }
}

}  // namespace

bool COrvaneDlg::UpdateData(bool saveAndValidate) {
    return DoDataExchange(saveAndValidate);
}

COrvaneDlg::NumericField& COrvaneDlg::Numeric(QLineEdit* edit) {
    return edit == m_editCtrlRate ? m_fieldCtrlRate : m_fieldCmdInterval;
}

bool COrvaneDlg::ExchangeUnsigned(NumericField& field) {
    const QByteArray text = field.edit->text().toUtf8();
    const NumberField number =
        NumberField::Parse(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (number.state == NumberField::Valid) {
        *field.member = number.value;
        return true;
    }
    field.reported = true;
    m_prompter->Message(NumberField::InvalidMessage(tr(field.name).toStdString()), kMessageCaption,
                        PromptIcon::Warning);
    field.edit->setFocus();
    field.edit->selectAll();
    return false;
}

void COrvaneDlg::CommitNumericField(QLineEdit* edit) {
    if (ExchangeUnsigned(Numeric(edit)) && edit == m_editCtrlRate) {
        PublishCtrlRate();
    }
}

// editingFinished also follows Enter, which CommitNumericField has taken,
// and a switch to another window, which leaves nothing. The report runs
// after the focus change, never inside it.
void COrvaneDlg::OnLeaveNumericField(QLineEdit* edit) {
    if (focusWidget() == edit) {
        return;
    }
    QTimer::singleShot(0, this, [this, edit] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton) {
            QTimer::singleShot(kReportRetryMs, this, [this, edit] { OnLeaveNumericField(edit); });
            return;
        }
        if (!Numeric(edit).reported && focusWidget() != edit && edit->isEnabled()) {
            CommitNumericField(edit);
        }
    });
}

void COrvaneDlg::UpdateHexPreview() {
    const QByteArray text = m_editHexCommand->text().toUtf8();
    const ManualPreview preview = PreviewManualCommand(
        std::string_view(text.constData(), static_cast<size_t>(text.size())), m_pPtz.get());
    m_lblHexFrame->setText(QString::fromStdString(preview.line));
    m_lblHexFrame->setToolTip(m_lblHexFrame->text());  // a larger font cuts it off
    QStringList marks;
    for (const HexTokenMark& mark : preview.marks) {
        marks << QStringLiteral("%1 %2").arg(
            QString::fromUtf8(
                text.mid(static_cast<qsizetype>(mark.offset), static_cast<qsizetype>(mark.length))),
            tr(MarkName(mark.kind)));
    }
    const QString all = marks.join(QStringLiteral(", "));
    m_lblHexMarks->setToolTip(all);
    m_lblHexMarks->setText(
        m_lblHexMarks->fontMetrics().elidedText(all, Qt::ElideRight, m_lblHexMarks->width()));
}

bool COrvaneDlg::DoDataExchange(bool saveAndValidate) {
    if (!saveAndValidate) {
        m_editConfigPath->setText(m_strConfigPath);
        m_editHexCommand->setText(m_strHexCommand);
        m_editCmdInterval->setText(QString::number(m_nCmdInterval));
        m_editCtrlRate->setText(QString::number(m_nCtrlRate));
        return true;
    }
    m_strConfigPath = m_editConfigPath->text();
    m_strHexCommand = m_editHexCommand->text();
    return ExchangeUnsigned(m_fieldCmdInterval) && ExchangeUnsigned(m_fieldCtrlRate);
}
