#include "catalogue/CountryU.h"

#include "catalogue/CatalogueFiles.h"
#include "editor/Folders.h"
#include "localisation/Translate.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/Exception.h"
#include "support/GeneralError.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

const QString TemplateCountry = QStringLiteral("New Zealand");
const QString ExampleImage = QStringLiteral("Example Form.png");

} // namespace

TCountryForm* CountryForm = nullptr;

void ShowCountryDialog() {
    if (CountryForm)
        CountryForm->exec();
}

TCountryForm::TCountryForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CountryForm"));
    setWindowTitle(QStringLiteral(N_("Country")));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(297, 159);

    Label1 = new QLabel(QStringLiteral(N_("Please select your Counry")), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(17, 8);
    Label1->adjustSize();

    CountryComboBox = new QComboBox(this);
    CountryComboBox->setObjectName(QStringLiteral("CountryComboBox"));
    CountryComboBox->setEditable(true);
    CountryComboBox->setInsertPolicy(QComboBox::NoInsert);
    CountryComboBox->setGeometry(17, 32, 179, 21);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(17, 75, 158, 21);

    NewBtn = new QPushButton(QStringLiteral(N_("Add New Country")), this);
    NewBtn->setObjectName(QStringLiteral("NewBtn"));
    NewBtn->setGeometry(185, 75, 100, 21);
    NewBtn->setAutoDefault(false);

    OKBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                            QStringLiteral(N_("OK")), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(129, 120, 75, 25);
    OKBtn->setDefault(true);

    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                QStringLiteral(N_("Cancel")), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(210, 120, 75, 25);
    CancelBtn->setAutoDefault(false);

    setTabOrder(CountryComboBox, NewBtn);
    setTabOrder(NewBtn, Edit1);
    setTabOrder(Edit1, CancelBtn);
    setTabOrder(CancelBtn, OKBtn);

    connect(OKBtn, &QPushButton::clicked, this, &TCountryForm::OKBtnClick);
    connect(NewBtn, &QPushButton::clicked, this, &TCountryForm::NewBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TCountryForm::showEvent(QShowEvent* event) {
    const QSize screen = CurrentPlatform().PrimaryScreenSize();
    move((screen.width() - frameGeometry().width()) / 2,
         (screen.height() - frameGeometry().height()) / 2);
    FormShow();
    QDialog::showEvent(event);
}

void TCountryForm::FormShow() {
    CountryComboBox->clear();
    CountryComboBox->clearEditText();
    for (const QString& name : CountryList)
        if (CountryComboBox->findText(name, Qt::MatchFixedString) < 0)
            CountryComboBox->addItem(name);
    const int current = CountryComboBox->findText(CurrentCountry, Qt::MatchFixedString);
    CountryComboBox->setCurrentIndex(current);
    if (current < 0)
        CountryComboBox->clearEditText();
    Edit1->clear();
}

void TCountryForm::RefuseName(const QString& name) {
    DebugLog(QStringLiteral("Country name invalid: ") + name, 0);
    CurrentPlatform().Beep(BeepStop);
    ErrorBox(QStringLiteral(N_("This name cannot be used for a country folder.")));
}

void TCountryForm::OKBtnClick() {
    Guarded([this] {
        const QString name = CountryComboBox->currentText();
        if (name.isEmpty()) {
            CurrentPlatform().Beep(BeepExclamation);
            return;
        }
        // Picked or typed alike: the name becomes a folder path and a section.
        if (!IsValidCountryName(name)) {
            RefuseName(name);
            return;
        }
        CurrentCountry = name;
        SaveCountry();
        accept();
    })();
}

void TCountryForm::NewBtnClick() {
    Guarded([this] { MakeNewCountry(); })(); // what it lets out: the general error box
}

void TCountryForm::MakeNewCountry() {
    const QString name = Edit1->text();
    if (name.isEmpty() || CountryComboBox->findText(name, Qt::MatchFixedString) >= 0) {
        DebugLog(QStringLiteral("Country exists or empty"), 0);
        CurrentPlatform().Beep(BeepStop);
        return;
    }
    if (!IsValidCountryName(name)) {
        RefuseName(name);
        return;
    }
    if (!ConfirmBox(
            QStringLiteral(N_("This will generate a new Country, Folder, and initial database.")) +
                QStringLiteral("\r\n") + QStringLiteral(N_("Are you sure you want to continue?")),
            BtnNo))
        return;

    CurrentCountry = name;
    CountryComboBox->addItem(name);
    CountryComboBox->setCurrentIndex(CountryComboBox->count() - 1);

    if (!CountryList.contains(name, Qt::CaseInsensitive)) {
        DebugLog(QStringLiteral("Country \"%1\" not found in AliasInifile, generating default "
                                "Inifile entries")
                     .arg(name),
                 3);
        CountryList.append(name);
        if (!CustomAliasIni)
            throw Exception(QStringLiteral("The file \"%1\" is not open.").arg(CustomAliasIniPath));
        const QStringList keys = CustomAliasIni->ReadSection(TemplateCountry);
        DebugLog(QStringLiteral("LoadAliasInifile: New Zealand entries found: %1").arg(keys.size()),
                 3);
        for (const QString& key : keys)
            CustomAliasIni->WriteString(name, key, QString());
        CustomAliasIni->UpdateFile();
    }

    const QString folder = FormsFolder + name;
    if (!QFileInfo(folder).isDir()) {
        try {
            if (!QDir().mkpath(folder))
                throw Exception(QStringLiteral("Cannot create the folder \"%1\".").arg(folder));
            if (ConfirmBox(QStringLiteral(N_("The Country folder has been generated as  ")) +
                               folder + QStringLiteral("\r\n") +
                               QStringLiteral(N_("Do you want to open the folder?")),
                           BtnYes))
                CurrentPlatform().ShellOpen(folder);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("CountryForm: ForceDirectory: ") + FormsFolder + name +
                         QStringLiteral(": ") + ExceptionMessage(e),
                     0);
            CurrentPlatform().Beep(BeepStop);
            ErrorBox(QStringLiteral(N_("Failed to generate the new Folder!")));
        }
    }

    SaveCountry();

    const QString example = FormsFolder + TemplateCountry + u'/' + ExampleImage;
    if (QFileInfo(example).isFile()) {
        DebugLog(QStringLiteral("Copying Example file to ") + FormsFolder + name + u'/' +
                     ExampleImage,
                 3);
        if (!QFile::copy(example, folder + u'/' + ExampleImage)) {
            DebugLog(QStringLiteral("ERROR Copying Example file"), 3);
            return;
        }
    } else {
        DebugLog(QStringLiteral("File not found: ") + example, 0);
    }
    accept();
}
