#include "lang/qtform.h"
#include "lang/template.h"
#include "langfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {
template <typename T, typename Parent> T *Named(Parent *parent, const char *name)
{
    T *object = new T(parent);
    object->setObjectName(QLatin1String(name));
    return object;
}

// A window with one component of every kind, and a few that translation must not see.
class TSampleForm final : public QWidget
{
  public:
    explicit TSampleForm(QByteArray formKey, TFormOwner owner = TFormOwner::Application,
                         bool inTemplate = true)
        : Registration(this, std::move(formKey), owner, inTemplate)
    {
        setWindowTitle(QStringLiteral("Sample"));
        Ok = Named<QPushButton>(this, "BtnOk");
        Ok->setText(QStringLiteral("&OK"));
        Ok->setToolTip(QStringLiteral("Close it"));
        Name = Named<QLabel>(this, "LblName");
        Name->setText(QStringLiteral("Café\nzwei"));
        (new QLabel(QStringLiteral("made in code"), this))->setToolTip(QStringLiteral("x"));
        Named<QCheckBox>(this, "CbxNoConfirm")->setText(QStringLiteral("Don't show"));
        auto *group = Named<QGroupBox>(this, "GrpMode");
        group->setTitle(QStringLiteral("Mode"));
        Named<QRadioButton>(group, "RbtFast")->setText(QStringLiteral("Fast\tnow"));
        Tabs = Named<QTabWidget>(this, "NbkMode");
        Tabs->addTab(Named<QWidget>(this, "PageInfo"), QStringLiteral("Info"));
        Tabs->addTab(Named<QWidget>(this, "PageInstall"), QStringLiteral("Install"));
        Named<QFrame>(this, "PnlBottom")->setProperty("caption", QStringLiteral("Bottom"));
        Grid = Named<QTableWidget>(this, "GrdStats");
        Grid->setColumnCount(2);
        Grid->setRowCount(2);
        Grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("c0r0")));
        Grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("c0r1")));
        Grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("c1r0")));
        auto *menu = Named<QMenu>(this, "PopupTray");
        Named<QAction>(menu, "PopupTrayQuit")->setText(QStringLiteral("&Quit"));
        auto *hide = Named<QAction>(menu, "PopupTrayHide");
        hide->setText(QStringLiteral("&Hide"));
        hide->setToolTip(QStringLiteral("Hide all"));
        Named<QTimer>(this, "Timer");
        auto *open = Named<QFileDialog>(this, "DlgOpen");
        open->setWindowTitle(QStringLiteral("Open"));
        open->setNameFilters({QStringLiteral("Language files (*.lng)"), QStringLiteral("All (*)")});
        Named<QSpinBox>(this, "SEDays")->setToolTip(QStringLiteral("Days"));
        Named<QComboBox>(this, "CbxChoice")->addItem(QStringLiteral("one"));
        Tabs->setCurrentIndex(1);
    }

    TFormRegistration Registration;
    QPushButton *Ok = nullptr;
    QLabel *Name = nullptr;
    QTabWidget *Tabs = nullptr;
    QTableWidget *Grid = nullptr;
};

} // namespace

class TestFormText : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void init()
    {
        Languages() = TLanguages();
        QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("Template.lng")));
    }

    void translateEdgeCases()
    {
        TSampleForm form("SampleForm");
        SelectTestLanguage(m_dir, "SampleForm.BtnOk.Caption =\r\n"
                                  "SampleForm.BtnOk.Hint = ''\r\n"
                                  "sampleform.lblname.caption = 'Name'\\n'zwei'\r\n"
                                  "SampleForm.NbkMode.Hint = 'Seiten'\r\n"
                                  "SampleForm.PageInstall.Caption = 'Einrichten'\r\n"
                                  "SampleForm.GrdStats.Cells[1,1] = 'neu'\r\n"
                                  "SampleForm.PopupTrayQuit.Caption = '&Beenden'\r\n"
                                  "SampleForm.DlgOpen.Filter = 'Sprachen (*.lng)'\r\n"
                                  "SampleForm.Caption = 'Beispiel'\r\n");
        TTranslatableForm *translatable = &form.Registration.Form();
        QVERIFY(!Languages().TranslateForm(nullptr, "SampleForm"));
        QVERIFY(!Languages().TranslateForm(translatable, " \t"));
        QVERIFY(Languages().TranslateForm(translatable, " SampleForm "));
        QCOMPARE(form.windowTitle(), "Beispiel");
        QCOMPARE(form.Ok->text(), "&OK");
        QCOMPARE(form.Ok->toolTip(), QString());
        QCOMPARE(form.Name->text(), "Name\r\nzwei");
        QCOMPARE(form.Tabs->toolTip(), "Seiten");
        QCOMPARE(form.Tabs->tabText(1), "Einrichten");
        QCOMPARE(form.Grid->item(1, 1)->text(), "neu");
        QCOMPARE(form.findChild<QAction *>("PopupTrayQuit")->text(), "&Beenden");
        QCOMPARE(form.findChild<QFileDialog *>("DlgOpen")->nameFilters(),
                 QStringList{QStringLiteral("Sprachen (*.lng)")});
    }

    // Application forms follow ApplyLanguage; floating forms wait for their own call and fall
    // back to the shared base key.
    void floatingFormsTranslatedApart()
    {
        TSampleForm application("SampleForm");
        TSampleForm bookmark("TBookmarkForm", TFormOwner::Floating);
        TSampleForm speed("TSpeedForm", TFormOwner::Floating, false);
        SelectTestLanguage(m_dir,
                           "SampleForm.BtnOk.Caption = 'Gut'\r\nApplicationTitle = 'Titel'\r\n"
                           "TBookmarkForm.BtnOk.Caption = 'Lesezeichen'\r\n"
                           "TBaseForm.BtnOk.Caption = 'Basis'\r\n"
                           "TBaseForm.LblName.Caption = 'Basisname'\r\n");
        QVERIFY(Languages().ApplyLanguage());
        QCOMPARE(application.Ok->text(), "Gut");
        QCOMPARE(bookmark.Ok->text(), "&OK");
        QCOMPARE(Languages().ApplicationTexts().Title, "Titel");
        Languages().TranslateFloatingForms();
        QCOMPARE(bookmark.Ok->text(), "Lesezeichen");
        QCOMPARE(bookmark.Name->text(), "Basisname");
        QCOMPARE(speed.Ok->text(), "Basis");
        QCOMPARE(application.Ok->text(), "Gut");
    }

    void templateMatchesGolden()
    {
        TSampleForm application("SampleForm");
        TSampleForm bookmark("TBookmarkForm", TFormOwner::Floating);
        TSampleForm speed("TSpeedForm", TFormOwner::Floating, false);
        TSampleForm hidden("HiddenDlg", TFormOwner::Application, false);
        bookmark.Grid->setColumnCount(0);
        Languages().ApplicationTexts().HelpFile =
            QStringLiteral("/usr/share/doc/favrake/help.html");
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("Template.lng"));
        WriteLngFile(m_dir, QStringLiteral("Template.lng"), "older, longer content to replace");
        QVERIFY(WriteLanguageTemplate(path).ok());
        QCOMPARE(ReadFile(path), ReadFile(QStringLiteral(FAVRAKE_TEST_DATA "/lang/template.lng")));
    }
};

QTEST_MAIN(TestFormText)
#include "test_formtext.moc"
