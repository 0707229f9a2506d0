#include "catalogue/ConfigSelectU.h"

#include "catalogue/CatalogueFiles.h"
#include "catalogue/CountryU.h"
#include "catalogue/CustomKeys.h"
#include "editor/Folders.h"
#include "localisation/Translate.h"
#include "localisation/TranslatedLines.h"
#include "platform/Platform.h"
#include "support/DebugLog.h"
#include "support/Exception.h"
#include "support/GeneralError.h"
#include "support/InfoBox2U.h"
#include "support/Termination.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

TConfigSelectForm* ConfigSelectForm = nullptr;

namespace {

void ShowSavedNotice(const QString& fileName, const QString& keyName) {
    ShowNotice(QStringLiteral(N_("Form saved as \"%1\" under key \"%2\"")).arg(fileName, keyName),
               3000, 0, 0, clBlue);
}

} // namespace

TConfigSelectForm::TConfigSelectForm(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("ConfigSelectForm"));
    setWindowTitle(QStringLiteral(N_("Select Config")));
    setModal(true);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setUniformItemSizes(true);
    Label1 = new QLabel(QStringLiteral(N_("Key name:")), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    KeyEdit = new QLineEdit(this);
    KeyEdit->setObjectName(QStringLiteral("KeyEdit"));
    NewBtn = new QPushButton(QStringLiteral(N_("&New Config")), this);
    NewBtn->setObjectName(QStringLiteral("NewBtn"));
    NewBtn->setAutoDefault(false);
    SaveBtn = new QPushButton(QStringLiteral(N_("&Save")), this);
    SaveBtn->setObjectName(QStringLiteral("SaveBtn"));
    SaveBtn->setAutoDefault(false);
    Label1->move(8, 328);
    KeyEdit->setGeometry(68, 325, 159, 21);
    NewBtn->setGeometry(233, 323, 99, 25);
    SaveBtn->setGeometry(338, 323, 75, 25);
    setTabOrder(SaveBtn, CheckListBox1);
    setTabOrder(CheckListBox1, KeyEdit);
    setTabOrder(KeyEdit, NewBtn);
    resize(421, 360);

    connect(CheckListBox1, &QListWidget::itemChanged, this,
            Guarded([this](QListWidgetItem* item) { CheckListBox1ClickCheck(item); }));
    connect(SaveBtn, &QPushButton::clicked, this, Guarded([this](bool) { SaveBtnClick(); }));
    connect(NewBtn, &QPushButton::clicked, this, Guarded([this](bool) { NewBtnClick(); }));
}

// The catalogue's records go with the dialog at shut-down.
TConfigSelectForm::~TConfigSelectForm() {
    FormCatalogue.reset();
}

void TConfigSelectForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    CheckListBox1->setGeometry(0, 0, width(), 311); // stays on top, follows the width
}

void TConfigSelectForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); })();
}

void TConfigSelectForm::FormShow() {
    if (!QFile::exists(FormsFolder + QStringLiteral("KestrovaFormAliases.ini"))) {
        CurrentPlatform().Beep(BeepStop);
        ErrorBox(_("The Kestrova Forms package is not installed on this PC.") +
                 QStringLiteral("\r\n") +
                 _("Please download and install from %1.").arg(QString::fromLatin1(DownloadPage)));
        RequestTermination();
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    NewBtn->setToolTip(
        TranslatedLines({N_("Make a Customized Configuration for this Form"),
                         N_("You will then be able to Print the Form from Kestrova,"),
                         N_("but you can NOT print it _directly_ from any of the"),
                         N_("pre-programmed existing Forms (like \"Missing Person Summary\"")}));
    SaveBtn->setEnabled(false);
    SaveBtn->setToolTip(_("Save the Form under one of the above existing Keys"));

    LoadCustomAliasInifile(ShowCountryDialog);

    FFilling = true;
    CheckListBox1->clear();
    for (int i = 0; i < FormCatalogue->Count(); ++i) {
        const TDralForm* r = FormCatalogue->GetRecord(i);
        auto* item = new QListWidgetItem(r->KeyName + u'=' + r->FileName, CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    CheckListBox1->setCurrentRow(-1);
    CheckListBox1->clearSelection();
    FFilling = false;

    const CustomKeyProposal p = ProposeCustomKey(*FormCatalogue);
    if (p.Result == CustomKeyProposal::Proposal)
        KeyEdit->setText(p.Key);
    else if (p.Result == CustomKeyProposal::NoPrefixedKey)
        KeyEdit->clear();
    KeyEdit->setEnabled(true);
    NewBtn->setEnabled(true);
}

void TConfigSelectForm::CheckListBox1ClickCheck(QListWidgetItem* toggled) {
    if (FFilling || !toggled)
        return;
    // The toggled item is the selected one; at most one item stays checked.
    FFilling = true;
    CheckListBox1->setCurrentItem(toggled);
    for (int i = 0; i < CheckListBox1->count(); ++i)
        if (CheckListBox1->item(i) != toggled)
            CheckListBox1->item(i)->setCheckState(Qt::Unchecked);
    FFilling = false;
    const QString text = toggled->text();
    KeyEdit->setText(text.left(text.indexOf(u'=') < 0 ? text.size() : text.indexOf(u'=')));
    SaveBtn->setEnabled(true);
    NewBtn->setEnabled(false);
    KeyEdit->setEnabled(false);
}

bool TConfigSelectForm::ConfirmOverwrite() {
    DebugLog(QStringLiteral("ConfigSelectForm.Save: Filename already exists... Overwrite?"), 0);
    CurrentPlatform().Beep(BeepQuestion);
    return ConfirmBox(
        TranslatedLines({N_("This Key has already a Form associated with it!"),
                         N_("Are you sure you want to overwrite it with this new Form?")}),
        BtnNo);
}

void TConfigSelectForm::SaveAssignment(const QString& key) {
    FormCatalogue->Add(key, FAliasFilename);
    // A refused or failed write is logged; the catalogue keeps the assignment
    // and the dialog completes.
    SaveCustomAssignment(key, FAliasFilename);
    accept();
    ShowSavedNotice(FAliasFilename, key);
}

void TConfigSelectForm::SaveBtnClick() {
    QListWidgetItem* selected = CheckListBox1->currentItem();
    if (!selected || !selected->isSelected()) {
        accept();
        return;
    }
    const QString text = selected->text();
    const qsizetype eq = text.indexOf(u'=');
    const QString key = eq < 0 ? text : text.left(eq);
    QString rest = eq < 0 ? QString() : text.mid(eq + 1);
    const QString fileName = rest.left(rest.indexOf(u'=') < 0 ? rest.size() : rest.indexOf(u'='));
    KeyEdit->setText(key);
    if (!fileName.isEmpty() && !ConfirmOverwrite())
        return;
    DebugLog(QStringLiteral("ConfigSelectForm.Save: Saving from selected entry: ") + key, 3);
    SaveAssignment(key);
}

void TConfigSelectForm::NewBtnClick() {
    if (FormCatalogue->GetForm(FAliasFilename)) {
        DebugLog(QStringLiteral("ConfigSelectForm.NewBtnClick: File already in list"), 0);
        CurrentPlatform().Beep(BeepStop);
        ErrorBox(_("This File name already exists in the Configuration file."));
        reject();
        return;
    }
    if (KeyEdit->text().isEmpty()) {
        const CustomKeyProposal p = ProposeCustomKey(*FormCatalogue);
        if (p.Result == CustomKeyProposal::Proposal) {
            KeyEdit->setText(p.Key); // a second press saves under it
            return;
        }
        if (p.Result == CustomKeyProposal::DecodingFailed)
            return;
    }
    if (KeyEdit->text().isEmpty())
        KeyEdit->setText(QStringLiteral("CustomForm-0"));
    const QString key = KeyEdit->text();
    // A key that cannot stand in the catalogue file would corrupt it or read
    // back as another key.
    if (!IsValidCatalogueKey(key)) {
        CurrentPlatform().Beep(BeepStop);
        ErrorBox(_("This key name cannot be used in the Configuration file."));
        return;
    }
    if (CustomAliasIni && !CustomAliasIni->ReadString(CurrentCountry, key, QString()).isEmpty() &&
        !ConfirmOverwrite())
        return;
    SaveAssignment(key);
}
