#include "portal/ui/OrvWebPersonWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/OrvCalendarConfig.h"
#include "app/OrvLanguageLib.h"
#include "base/OrvText.h"
#include "platform/qt/OrvLineEdit.h"
#include "platform/qt/OrvMessageWindow.h"
#include "platform/qt/OrvQtText.h"
#include "portal/OrvWebServiceJoomla.h"

namespace {

QString Caption(int number) { return OrvQString(OrvText(number)); }

// Largest side of a person's picture on the portal.
constexpr int kPictureBox = 500;
constexpr int kPictureQuality = 75;

std::string Member(const json::Object& person, const char* member)
{
    const json::String& value = person[member];
    return value.Value();
}

std::string CacheDirectory(OrvWebServiceJoomla& portal)
{
    OrvCalendarConfig* config = portal.Config();
    if (!config) config = OrvCalendarConfig::Get();
    return config ? config->GetCacheDirectory() : std::string();
}

} // namespace

// --- multi-line text ---------------------------------------------------------------------

OrvPersonTextEdit::OrvPersonTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, [this]() { Check(); });
}

void OrvPersonTextEdit::SetWindowText(const std::string& text)
{
    loading_ = true;
    setPlainText(OrvQString(text));
    good_ = toPlainText();
    loading_ = false;
}

std::string OrvPersonTextEdit::WindowText() const { return OrvWindowText(toPlainText()); }

void OrvPersonTextEdit::Check()
{
    if (loading_) return;
    const QString text = toPlainText();
    if (OrvFitsWindowCodePage(text)) {
        good_ = text;
        return;
    }
    // Refuse the input: back to the last text the code page can hold.
    const int position = std::min<int>(textCursor().position(), good_.size());
    loading_ = true;
    setPlainText(good_);
    QTextCursor cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
    loading_ = false;
}

// --- category group ----------------------------------------------------------------------

OrvPersonCategoryGroup::OrvPersonCategoryGroup(int fixedCategory, QWidget* parent)
    : QWidget(parent), fixed_(fixedCategory)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < OrvPersonCategoryCount; ++i) {
        const OrvPersonCategoryRow& row = OrvPersonCategories()[i];
        boxes_[i] = new QCheckBox(Caption(row.textNumber), this);
        if (row.number == fixed_) {
            boxes_[i]->setChecked(true);
            boxes_[i]->setEnabled(false);
        }
        layout->addWidget(boxes_[i]);
    }
    layout->addStretch(1);
}

void OrvPersonCategoryGroup::SetSelection(const json::Array& table)
{
    for (int i = 0; i < OrvPersonCategoryCount; ++i) {
        const OrvPersonCategoryRow& row = OrvPersonCategories()[i];
        bool selected = row.number == fixed_;
        for (const json::UnknownElement& element : table) {
            const json::Object& entry = element;
            if (Member(entry, "perscat") == row.recordName) selected = true;
        }
        boxes_[i]->setChecked(selected);
    }
}

std::vector<std::string> OrvPersonCategoryGroup::Selected() const
{
    std::vector<std::string> names;
    for (int i = 0; i < OrvPersonCategoryCount; ++i)
        if (boxes_[i]->isChecked()) names.push_back(OrvPersonCategories()[i].recordName);
    return names;
}

// --- pages -------------------------------------------------------------------------------

OrvWebPersonPage::OrvWebPersonPage(OrvWebPersonWindow* window) : QWidget(window), window_(window) {}

OrvLineEdit* OrvWebPersonPage::Field(const std::string& value)
{
    auto* field = new OrvLineEdit(this);
    field->SetWindowText(value);
    return field;
}

void OrvWebPersonPage::Take(OrvLineEdit* field, std::string& target) const
{
    tracker_.WriteBack(field, [&]() { target = field->WindowText(); });
}

OrvWebPersonPage_Contact::OrvWebPersonPage_Contact(OrvWebPersonWindow* window) : OrvWebPersonPage(window)
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    // Attributes 1001 to 1014 in the order of the person table.
    for (int number = 1001; number <= 1014; ++number) {
        const OrvPersonAttributeRow* row = OrvPersonAttribute(number);
        if (!row) continue;
        auto* field = new OrvLineEdit(this);
        fields_.emplace_back(row->member, field);
        form->addRow(Caption(row->number == 1001 ? 191 : row->textNumber), field);
    }
    layout->addLayout(form);
    categories_ = new OrvPersonCategoryGroup(window->Category(), this);
    layout->addWidget(categories_);
    layout->addStretch(1);
}

OrvLineEdit* OrvWebPersonPage_Contact::FieldOf(const std::string& member) const
{
    for (const auto& f : fields_)
        if (f.first == member) return f.second;
    return nullptr;
}

namespace {

std::string* RecordText(OrvPersonRecord& r, const std::string& member)
{
    struct {
        const char* name;
        std::string OrvPersonRecord::*value;
    } const members[] = {
        {"fullname", &OrvPersonRecord::fullname}, {"firstname", &OrvPersonRecord::firstname},
        {"lastname", &OrvPersonRecord::lastname}, {"nickname", &OrvPersonRecord::nickname},
        {"title", &OrvPersonRecord::title},       {"street", &OrvPersonRecord::street},
        {"zip", &OrvPersonRecord::zip},           {"city", &OrvPersonRecord::city},
        {"country", &OrvPersonRecord::country},   {"email", &OrvPersonRecord::email},
        {"phone", &OrvPersonRecord::phone},       {"mobil", &OrvPersonRecord::mobil},
        {"url", &OrvPersonRecord::url},           {"longitude", &OrvPersonRecord::longitude},
        {"latitude", &OrvPersonRecord::latitude}, {"text", &OrvPersonRecord::text},
    };
    for (const auto& m : members)
        if (member == m.name) return &(r.*(m.value));
    return nullptr;
}

} // namespace

void OrvWebPersonPage_Contact::Fill()
{
    OrvPersonRecord& record = window_->Record();
    for (const auto& f : fields_) {
        if (std::string* value = RecordText(record, f.first)) f.second->SetWindowText(*value);
        tracker_.Track(f.second);
    }
    if (record.id != 0) {
        json::Array table;
        if (window_->Portal().PersonGetCategories(record.id, table) == 0) categories_->SetSelection(table);
    }
}

void OrvWebPersonPage_Contact::Store(OrvPersonRecord& record)
{
    for (const auto& f : fields_)
        if (std::string* value = RecordText(record, f.first)) Take(f.second, *value);
    record.categories = categories_->Selected();
}

OrvWebPersonPage_Geo::OrvWebPersonPage_Geo(OrvWebPersonWindow* window) : OrvWebPersonPage(window)
{
    auto* form = new QFormLayout(this);
    longitude_ = new OrvLineEdit(this);
    latitude_ = new OrvLineEdit(this);
    assign_ = new QCheckBox(Caption(265), this);
    form->addRow(Caption(212), longitude_);
    form->addRow(Caption(213), latitude_);
    form->addRow(QString(), assign_);
}

void OrvWebPersonPage_Geo::Fill()
{
    const OrvPersonRecord& record = window_->Record();
    longitude_->SetWindowText(record.longitude);
    latitude_->SetWindowText(record.latitude);
    assign_->setChecked(record.coordassign == 2);
    tracker_.Track(longitude_);
    tracker_.Track(latitude_);
    tracker_.Track(assign_);
}

void OrvWebPersonPage_Geo::Store(OrvPersonRecord& record)
{
    Take(longitude_, record.longitude);
    Take(latitude_, record.latitude);
    tracker_.WriteBack(assign_, [&]() { record.coordassign = assign_->isChecked() ? 2 : 0; });
}

OrvWebPersonPage_Text::OrvWebPersonPage_Text(OrvWebPersonWindow* window) : OrvWebPersonPage(window)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Caption(242), this));
    text_ = new OrvPersonTextEdit(this);
    layout->addWidget(text_, 1);
}

void OrvWebPersonPage_Text::Fill()
{
    text_->SetWindowText(window_->Record().text);
    tracker_.Track(text_);
}

void OrvWebPersonPage_Text::Store(OrvPersonRecord& record)
{
    tracker_.WriteBack(text_, [&]() { record.text = text_->WindowText(); });
}

OrvWebPersonPage_Room::OrvWebPersonPage_Room(OrvWebPersonWindow* window) : OrvWebPersonPage(window)
{
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < OrvPersonRoomCount; ++i) {
        toggles_[i] = new QToolButton(this);
        toggles_[i]->setCheckable(true);
        toggles_[i]->setText(QString::number(i + 1));
        names_[i] = new OrvLineEdit(this);
        grid->addWidget(toggles_[i], i, 0);
        grid->addWidget(names_[i], i, 1);
        QLineEdit* name = names_[i];
        connect(toggles_[i], &QToolButton::toggled, name, &QWidget::setEnabled);
    }
    grid->setRowStretch(OrvPersonRoomCount, 1);
}

void OrvWebPersonPage_Room::Fill()
{
    OrvPersonRecord& record = window_->Record();
    for (int i = 0; i < OrvPersonRoomCount; ++i) {
        names_[i]->SetWindowText(record.rooms[i].name);
        toggles_[i]->setChecked(record.rooms[i].enabled);
        names_[i]->setEnabled(record.rooms[i].enabled);
        tracker_.Track(names_[i]);
    }
}

void OrvWebPersonPage_Room::Store(OrvPersonRecord& record)
{
    record.hasRooms = true;
    for (int i = 0; i < OrvPersonRoomCount; ++i) {
        record.rooms[i].enabled = toggles_[i]->isChecked();
        Take(names_[i], record.rooms[i].name);
    }
}

// --- pictures ----------------------------------------------------------------------------

OrvWebImageFrame::OrvWebImageFrame(const char* name, int textNumber, QWidget* parent)
    : QWidget(parent), name_(name)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Caption(textNumber), this));
    picture_ = new QLabel(this);
    picture_->setFixedSize(160, 160);
    picture_->setFrameShape(QFrame::Box);
    picture_->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture_);
    choose_ = new QPushButton(Caption(289), this);
    clear_ = new QPushButton(Caption(130), this);
    layout->addWidget(choose_);
    layout->addWidget(clear_);
    layout->addStretch(1);
    connect(choose_, &QPushButton::clicked, this, [this]() {
        std::string file;
        if (chooser_) {
            file = chooser_();
        } else {
            const QString chosen = QFileDialog::getOpenFileName(this, Caption(289), QString(),
                                                                QStringLiteral("*.jpg;*.tif;*.png;*.bmp"));
            file = chosen.toStdString();
        }
        if (!file.empty()) SetFile(file);
    });
    connect(clear_, &QPushButton::clicked, this, [this]() { Clear(); });
    ShowPicture();
}

void OrvWebImageFrame::Show(const std::string& file)
{
    file_ = file;
    ShowPicture();
}

void OrvWebImageFrame::SetFile(const std::string& file)
{
    file_ = file;
    changed_ = true;
    ShowPicture();
}

void OrvWebImageFrame::Clear()
{
    if (file_.empty()) return;
    file_.clear();
    changed_ = true;
    ShowPicture();
}

void OrvWebImageFrame::ShowPicture()
{
    QPixmap pixmap;
    if (!file_.empty()) pixmap.load(QString::fromStdString(file_));
    if (pixmap.isNull()) {
        picture_->clear();
    } else {
        picture_->setPixmap(pixmap.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    clear_->setEnabled(!file_.empty());
}

OrvWebPersonPage_Image::OrvWebPersonPage_Image(OrvWebPersonWindow* window) : OrvWebPersonPage(window)
{
    auto* layout = new QHBoxLayout(this);
    frames_[0] = new OrvWebImageFrame("logo", 286, this);
    frames_[1] = new OrvWebImageFrame("portrait", 287, this);
    frames_[2] = new OrvWebImageFrame("img", 288, this);
    for (OrvWebImageFrame* frame : frames_) layout->addWidget(frame);
    layout->addStretch(1);
}

void OrvWebPersonPage_Image::Fill()
{
    const int id = window_->Record().id;
    if (id == 0) return;
    for (OrvWebImageFrame* frame : frames_) {
        std::string path;
        // Without a file on the portal the path stays empty and the frame
        // shows nothing.
        window_->Portal().PersonGetFile(id, frame->Name().c_str(), path);
        if (path.empty()) continue;
        frame->Show(path);
        frame->SetPortalFile(QFileInfo(QString::fromStdString(path)).fileName().toStdString());
    }
}

void OrvWebPersonPage_Image::Saved(int personID)
{
    failures_ = 0;
    if (personID == 0) return;
    OrvWebServiceJoomla& portal = window_->Portal();
    const std::string cache = CacheDirectory(portal);
    for (OrvWebImageFrame* frame : frames_) {
        if (!frame->Changed()) continue;
        int result;
        std::string portalName;
        if (!frame->File().empty()) {
            const QFileInfo info(QString::fromStdString(frame->File()));
            const QString suffix = info.suffix();
            portalName = frame->Name() + (suffix.isEmpty() ? std::string() : "." + suffix.toStdString());
            std::string send = frame->File();
            QImageReader reader(info.filePath());
            reader.setAutoTransform(true);
            QImage picture = reader.read();
            if (!picture.isNull() && (picture.width() > kPictureBox || picture.height() > kPictureBox) &&
                !cache.empty()) {
                const QImage scaled =
                    picture.scaled(kPictureBox, kPictureBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
                QDir().mkpath(QString::fromStdString(cache));
                const QString target = QString::fromStdString(cache + "/" + portalName);
                QImageWriter writer(target);
                writer.setQuality(kPictureQuality);
                if (writer.write(scaled)) send = target.toStdString();
            }
            result = portal.PersonSetFile(portalName.c_str(), personID, send.c_str());
            // A picture of another type stays on the portal under its old
            // name and would be found before the new one.
            if (result == 0 && !frame->PortalFile().empty() && frame->PortalFile() != portalName)
                portal.PersonDelFile(personID, frame->PortalFile().c_str());
        } else {
            // The portal keeps the file under its full name ("logo.png").
            const std::string name = frame->PortalFile().empty() ? frame->Name() : frame->PortalFile();
            result = portal.PersonDelFile(personID, name.c_str());
        }
        if (result == 0) {
            frame->MarkUnchanged();
            frame->SetPortalFile(portalName);
        } else {
            ++failures_;
        }
    }
}

// --- editing window ----------------------------------------------------------------------

OrvWebPersonWindow::OrvWebPersonWindow(OrvWebServiceJoomla& portal, int category, const json::Object* person,
                                       QWidget* parent)
    : QWidget(parent), portal_(portal), category_(category)
{
    if (person) {
        const json::Object& p = *person;
        record_.id = OrvWebServiceJoomla::IntegerOf(p["id"]);
        for (const char* member : {"fullname", "firstname", "lastname", "nickname", "title", "street", "zip", "city",
                                   "country", "email", "phone", "mobil", "url", "longitude", "latitude", "text"})
            *RecordText(record_, member) = OrvToSingleByte(Member(p, member));
        record_.coordassign = OrvWebServiceJoomla::IntegerOf(p["coordassign"]);
        params_ = Member(p, "params");
    }
    record_.ReadRooms(OrvToSingleByte(params_), OrvText(194));

    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    contact_ = new OrvWebPersonPage_Contact(this);
    geo_ = new OrvWebPersonPage_Geo(this);
    image_ = new OrvWebPersonPage_Image(this);
    text_ = new OrvWebPersonPage_Text(this);
    tabs_->addTab(contact_, Caption(277));
    tabs_->addTab(geo_, Caption(278));
    tabs_->addTab(image_, Caption(279));
    pages_ = {contact_, geo_, image_};
    // Only places have rooms.
    if (category_ == 1) {
        room_ = new OrvWebPersonPage_Room(this);
        tabs_->addTab(room_, Caption(280));
        pages_.push_back(room_);
    }
    tabs_->addTab(text_, Caption(281));
    pages_.push_back(text_);
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    save_ = new QPushButton(Caption(285), this);
    cancel_ = new QPushButton(Caption(56), this);
    save_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(save_, &QPushButton::clicked, this, [this]() { Save(); });
    connect(cancel_, &QPushButton::clicked, this, [this]() { Cancel(); });

    for (OrvWebPersonPage* page : pages_) page->Fill();
}

int OrvWebPersonWindow::Save()
{
    OrvPersonRecord work = record_;
    for (OrvWebPersonPage* page : pages_) page->Store(work);
    const bool countryWasEmpty = work.country.empty();
    const std::vector<int> missing = work.CheckInput();
    if (countryWasEmpty) {
        if (OrvLineEdit* country = contact_->FieldOf("country")) country->SetWindowText(work.country);
    }
    if (!missing.empty()) {
        std::string text = OrvText(216);
        for (int number : missing) text += std::string("\n") + OrvText(number);
        OrvMessageWindow::ShowWindowText(this, "HINWEIS", text.c_str());
        return 1;
    }
    int savedID = 0;
    const int result = portal_.PersonSave("", work.Text(), savedID);
    if (result != 0) {
        // The record keeps the values the pages compare with: a field the
        // user sets back to its old value must send that value next time.
        // The input stays in the window, so the user can try again.
        const QString message = QString::fromUtf8(portal_.Message().c_str());
        OrvMessageWindow::Show(this, QStringLiteral("ERROR"),
                               message.isEmpty() ? Caption(290) : Caption(290) + QLatin1Char('\n') + message);
        return result;
    }
    record_ = work;
    // A new person's pictures go up under the id the portal gave it.
    const int personID = record_.id != 0 ? record_.id : savedID;
    for (OrvWebPersonPage* page : pages_) page->Saved(personID);
    emit finished(personID);
    return 0;
}

void OrvWebPersonWindow::Cancel() { emit finished(0); }
