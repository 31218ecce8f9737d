// The window under the Chinese translation: what it shows still in English.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QRegularExpression>

#include "app/Translations.h"
#include "tests/support/DialogHarness.h"

namespace {

// The texts below `top` that hold a word, once names, notation, paths, hex
// bytes, the list file's name and the build date are taken out.
QStringList EnglishTexts(const QWidget& top) {
    QStringList texts{top.windowTitle()};
    for (const QWidget* w : top.findChildren<QWidget*>()) {
        for (const char* name : {"windowTitle", "toolTip", "text", "title"}) {
            texts << w->property(name).toString();
        }
        const auto* c = qobject_cast<const QComboBox*>(w);
        for (int i = 0; c != nullptr && i < c->count(); ++i) {
            texts << c->itemText(i);
        }
        const auto* v = qobject_cast<const QAbstractItemView*>(w);
        for (int i = 0; v != nullptr && i < v->model()->columnCount(); ++i) {
            for (int role : {Qt::DisplayRole, Qt::ToolTipRole}) {
                texts << v->model()->headerData(i, Qt::Horizontal, role).toString();
            }
        }
    }
    static const QRegularExpression notWords(QStringLiteral(
        R"(COM\d*|Orvane|RFC 2217|TCP|PELCO_[DP]|Pelco-[DP]|RS485|VID|PID|\b[0-9a-f]{2}\b|/\S*|\w+\.cfg|\w{3} +\d+ \d{4})"));
    return texts.replaceInStrings(notWords, QString())
        .filter(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
}

TEST(Translation, TheWindowAndThePortsDialogShowNoEnglishUnderZhCN) {
    EnsureQtApplication();
    ASSERT_EQ(InstallTranslations({QStringLiteral("en-GB")}), QString());
    ASSERT_EQ(InstallTranslations({QStringLiteral("de-DE"), QStringLiteral("zh-Hans-CN")}),
              QStringLiteral("zh_CN"));
    {
        DialogHarness h;
        h.dlg().OnPorts();
        EXPECT_EQ(EnglishTexts(h.dlg()), QStringList());
    }
    InstallTranslations({});
}

}  // namespace
