#include "lang/languages.h"
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
#include <QTimer>
#include <QtTest>

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

struct TNamedKind
{
    QString Name;
    TComponentKind Kind;
    bool operator==(const TNamedKind &) const = default;
};

QList<TNamedKind> KindsOf(const TTranslatableForm &form)
{
    QList<TNamedKind> kinds;
    for (const auto &component : form.Components())
        kinds.append({component->Name(), component->Kind()});
    return kinds;
}

QStringList TextsOf(TTranslatableForm &form, const QByteArray &key)
{
    QStringList texts;
    for (const TTextSlot &slot : FormTextSlots(form, key))
        texts.append(slot.Get());
    return texts;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestFormText : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void encode_data();
    void encode();
    void componentsInCreationOrder();
    void translateEdgeCases();
    void applyLanguageReachesApplicationForms();
    void floatingFormsTakeTheirOwnKeyLast();
    void duplicateNamesFound();
    void childWindowIsItsOwnForm();
    void templateMatchesGolden();
    void templateRoundTrip();
    void templateArguments();
    void templateWriteFails();

  private:
    void SelectLanguage(const QByteArray &entries);
    QTemporaryDir m_dir;
};

void TestFormText::init()
{
    Languages() = TLanguages();
    QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("Template.lng")));
}

void TestFormText::SelectLanguage(const QByteArray &entries)
{
    WriteLngFile(m_dir, QStringLiteral("test.lng"), "LanguageName = 'Test'\r\n" + entries);
    Languages().Scan({m_dir.path()});
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("Test")));
}

void TestFormText::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("empty") << QString() << QByteArray("''");
    QTest::newRow("quote") << QStringLiteral("It's") << QByteArray("'It'$27's'");
    QTest::newRow("CR LF") << QStringLiteral("A\r\nB") << QByteArray("'A'\\n'B'");
    QTest::newRow("LF CR") << QStringLiteral("A\n\rB") << QByteArray("'A'\\n'B'");
    QTest::newRow("lone CR") << QStringLiteral("\r") << QByteArray("$0D");
    QTest::newRow("lone LF") << QStringLiteral("a\n") << QByteArray("'a'$0A");
    QTest::newRow("tab") << QStringLiteral("\tx") << QByteArray("\\t'x'");
    QTest::newRow("code 233") << QStringLiteral("é") << QByteArray("$E9");
    QTest::newRow("back quote and DEL") << QStringLiteral("`\x7F") << QByteArray("$60$7F");
    QTest::newRow("hotkey kept") << QStringLiteral("&Quit") << QByteArray("'&Quit'");
    QTest::newRow("notation characters quoted")
        << QStringLiteral("#1 $2 \\n") << QByteArray("'#1 $2 \\n'");
    QTest::newRow("Windows-1252 euro") << QStringLiteral("€") << QByteArray("$80");
    QTest::newRow("beyond Windows-1252 as UTF-8") << QStringLiteral("Д") << QByteArray("$D0$94");
    QTest::newRow("Windows-1252 bytes that read as UTF-8")
        << QStringLiteral("Ã©") << QByteArray("$C3$83$C2$A9");
    QTest::newRow("nul") << QString(QChar(0)) << QByteArray("$00");
}

void TestFormText::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, encoded);
    QCOMPARE(EncodeLngValue(text), encoded);
    QString expected = text;
    expected.replace(QStringLiteral("\n\r"), QStringLiteral("\r\n"));
    QCOMPARE(LngText(DecodeLngValue(encoded)), expected);
}

void TestFormText::componentsInCreationOrder()
{
    TSampleForm form("SampleForm");
    using K = TComponentKind;
    const QList<TNamedKind> expected = {
        {"BtnOk", K::Captioned},        {"LblName", K::Captioned},
        {"CbxNoConfirm", K::Captioned}, {"GrpMode", K::Captioned},
        {"RbtFast", K::Captioned},      {"NbkMode", K::OtherVisual},
        {"PageInfo", K::Captioned},     {"PageInstall", K::Captioned},
        {"PnlBottom", K::Captioned},    {"GrdStats", K::Grid},
        {"PopupTray", K::OtherVisual},  {"PopupTrayQuit", K::MenuItem},
        {"PopupTrayHide", K::MenuItem}, {"Timer", K::OtherNonVisual},
        {"DlgOpen", K::FileDialog},     {"SEDays", K::OtherVisual},
        {"CbxChoice", K::OtherVisual}};
    const QList<TNamedKind> actual = KindsOf(form.Registration.Form());
    QStringList actualNames, expectedNames;
    for (const TNamedKind &component : actual)
        actualNames.append(component.Name);
    for (const TNamedKind &component : expected)
        expectedNames.append(component.Name);
    QCOMPARE(actualNames, expectedNames);
    QCOMPARE(actual, expected);
}

void TestFormText::translateEdgeCases()
{
    TSampleForm form("SampleForm");
    SelectLanguage("SampleForm.BtnOk.Caption =\r\n"
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
    QCOMPARE(form.windowTitle(), QStringLiteral("Beispiel"));
    QCOMPARE(form.Ok->text(), QStringLiteral("&OK"));
    QCOMPARE(form.Ok->toolTip(), QString());
    QCOMPARE(form.Name->text(), QStringLiteral("Name\r\nzwei"));
    QCOMPARE(form.Tabs->toolTip(), QStringLiteral("Seiten"));
    QCOMPARE(form.Tabs->tabText(1), QStringLiteral("Einrichten"));
    QCOMPARE(form.Grid->item(1, 1)->text(), QStringLiteral("neu"));
    QCOMPARE(form.findChild<QAction *>("PopupTrayQuit")->text(), QStringLiteral("&Beenden"));
    QCOMPARE(form.findChild<QFileDialog *>("DlgOpen")->nameFilters(),
             QStringList{QStringLiteral("Sprachen (*.lng)")});
    form.Name->setText(QStringLiteral("set in code"));
    QCOMPARE(form.Name->text(), QStringLiteral("set in code"));
}

void TestFormText::applyLanguageReachesApplicationForms()
{
    TSampleForm application("SampleForm");
    TSampleForm floating("TBookmarkForm", TFormOwner::Floating);
    SelectLanguage("SampleForm.BtnOk.Caption = 'Gut'\r\nTBookmarkForm.BtnOk.Caption = 'Nein'\r\n"
                   "ApplicationTitle = 'Titel'\r\n");
    QVERIFY(Languages().ApplyLanguage());
    QCOMPARE(application.Ok->text(), QStringLiteral("Gut"));
    QCOMPARE(floating.Ok->text(), QStringLiteral("&OK"));
    QCOMPARE(Languages().ApplicationTexts().Title, QStringLiteral("Titel"));
}

void TestFormText::floatingFormsTakeTheirOwnKeyLast()
{
    TSampleForm application("SampleForm");
    TSampleForm bookmark("TBookmarkForm", TFormOwner::Floating);
    TSampleForm speed("TSpeedForm", TFormOwner::Floating, false);
    SelectLanguage("TBookmarkForm.BtnOk.Caption = 'Lesezeichen'\r\n"
                   "TBaseForm.BtnOk.Caption = 'Basis'\r\n"
                   "TBaseForm.LblName.Caption = 'Basisname'\r\n");
    Languages().TranslateFloatingForms();
    QCOMPARE(bookmark.Ok->text(), QStringLiteral("Lesezeichen"));
    QCOMPARE(bookmark.Name->text(), QStringLiteral("Basisname"));
    QCOMPARE(speed.Ok->text(), QStringLiteral("Basis"));
    QCOMPARE(application.Ok->text(), QStringLiteral("&OK"));
}

void TestFormText::duplicateNamesFound()
{
    TSampleForm form("SampleForm");
    QCOMPARE(DuplicateComponentNames(form.Registration.Form()), QStringList());
    auto *again = Named<QLabel>(form.findChild<QGroupBox *>("GrpMode"), "LblName");
    again->setText(QStringLiteral("second"));
    QCOMPARE(DuplicateComponentNames(form.Registration.Form()),
             QStringList{QStringLiteral("LblName")});
    SelectLanguage("SampleForm.LblName.Caption = 'beide'\r\n");
    QVERIFY(Languages().TranslateForm(&form.Registration.Form(), "SampleForm"));
    QCOMPARE(form.Name->text(), QStringLiteral("beide"));
    QCOMPARE(again->text(), QStringLiteral("beide"));
}

void TestFormText::childWindowIsItsOwnForm()
{
    TSampleForm form("SampleForm");
    auto *dialog = new QDialog(&form);
    Named<QLabel>(dialog, "LblInDialog");
    const auto before = form.Registration.Form().Components().size();
    {
        TFormRegistration own(dialog, "ChildDlg", TFormOwner::Application, false);
        QCOMPARE(form.Registration.Form().Components().size(), before - 1);
        QCOMPARE(KindsOf(own.Form()).size(), 1);
    }
    QCOMPARE(form.Registration.Form().Components().size(), before);
}

void TestFormText::templateMatchesGolden()
{
    TSampleForm application("SampleForm");
    TSampleForm bookmark("TBookmarkForm", TFormOwner::Floating);
    TSampleForm speed("TSpeedForm", TFormOwner::Floating, false);
    TSampleForm hidden("HiddenDlg", TFormOwner::Application, false);
    bookmark.Grid->setColumnCount(0);
    Languages().ApplicationTexts().HelpFile = QStringLiteral("/usr/share/doc/favrake/help.html");
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("Template.lng"));
    WriteLngFile(m_dir, QStringLiteral("Template.lng"), "older, longer content to replace");
    QVERIFY(WriteLanguageTemplate(path));
    QCOMPARE(ReadFile(path), ReadFile(QStringLiteral(FAVRAKE_TEST_DATA "/lang/template.lng")));
}

void TestFormText::templateRoundTrip()
{
    TSampleForm form("SampleForm");
    TTranslatableForm &translatable = form.Registration.Form();
    const QStringList original = TextsOf(translatable, "SampleForm");
    QVERIFY(WriteLanguageTemplate(QDir(m_dir.path()).filePath(QStringLiteral("Template.lng"))));
    for (const TTextSlot &slot : FormTextSlots(translatable, "SampleForm"))
        slot.Set(QStringLiteral("changed"));
    QVERIFY(TextsOf(translatable, "SampleForm") != original);

    Languages().Scan({m_dir.path()});
    QVERIFY(Languages().SetCurrentLanguage(QStringLiteral("NewLanguage")));
    QVERIFY(Languages().ApplyLanguage());
    QCOMPARE(TextsOf(translatable, "SampleForm"), original);
    QCOMPARE(form.Name->text(), QStringLiteral("Café\nzwei"));
    QCOMPARE(form.Tabs->tabText(0), QStringLiteral("Info"));
    QCOMPARE(Languages().ApplicationTexts().Title, QStringLiteral("Favrake"));
}

void TestFormText::templateArguments()
{
    TSampleForm form("SampleForm");
    QByteArrayList lines{"kept"};
    QVERIFY(!AddFormToTemplate(nullptr, "SampleForm", &lines));
    QVERIFY(!AddFormToTemplate(&form.Registration.Form(), "SampleForm", nullptr));
    QVERIFY(!AddFormToTemplate(&form.Registration.Form(), "  ", &lines));
    QCOMPARE(lines, QByteArrayList{"kept"});
    QVERIFY(AddFormToTemplate(&form.Registration.Form(), " Key ", &lines));
    QCOMPARE(lines.at(1), QByteArray("Key.Caption = 'Sample'"));
    QCOMPARE(lines.at(2), QByteArray("Key.Hint = ''"));
    QVERIFY(!lines.join('\n').contains("made in code"));
}

void TestFormText::templateWriteFails()
{
    TSampleForm form("SampleForm");
    QVERIFY(!WriteLanguageTemplate(QDir(m_dir.path()).filePath(QStringLiteral("none/T.lng"))));
    QVERIFY(!WriteLanguageTemplate(m_dir.path()));
    QVERIFY(QFileInfo(m_dir.path()).isDir());
}

QTEST_MAIN(TestFormText)
#include "test_formtext.moc"
