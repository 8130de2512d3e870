#include "platform/window/wx/wx_image_combo.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include <algorithm>

#include "platform/window/wx/window_core.h"
#include "platform/window/wx/wx_images.h"
#include "platform/window/wx/wx_text.h"

namespace wxwin {
namespace {

constexpr int kIndentPixels = 10;
constexpr int kImageSize = 16;

// The list that drops down. It draws and measures through the widget itself: the toolkit's own
// list asserts when it is asked to draw for a derived combo box.
class ImagePopup : public wxVListBoxComboPopup {
public:
    explicit ImagePopup(const ImageComboWidget* owner) : m_owner(owner) {}
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override {
        m_owner->DrawItem(dc, rect, item, flags);
    }
    wxCoord OnMeasureItem(size_t) const override { return m_owner->ItemHeight(); }
    wxCoord OnMeasureItemWidth(size_t) const override { return -1; }

private:
    const ImageComboWidget* m_owner;
};

} // namespace

ImageComboWidget::ImageComboWidget(wxWindow* parent, int id, bool typed)
    : wxOwnerDrawnComboBox(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                           typed ? 0 : wxCB_READONLY) {
    SetPopupControl(new ImagePopup(this));
}

void ImageComboWidget::ShowPopup() {
    // The program rebuilds the list before it drops down.
    if (beforeDropDown) {
        beforeDropDown();
    }
    wxOwnerDrawnComboBox::ShowPopup();
}

void ImageComboWidget::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    DrawItem(dc, rect, item, flags);
}

void ImageComboWidget::DrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item < 0 || item >= static_cast<int>(items.size())) {
        return;
    }
    const win::ImageComboItem& entry = items[item];
    const bool inControl = (flags & wxODCB_PAINTING_CONTROL) != 0;
    const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
    // The box itself shows the chosen item without its indent.
    int x = rect.x + 2 + (inControl ? 0 : entry.indent * kIndentPixels);
    const int image = inControl || selected ? entry.selectedImage : entry.image;
    if (images && image >= 0 && image < images->GetImageCount()) {
        images->Draw(image, dc, x, rect.y + (rect.height - kImageSize) / 2,
                     wxIMAGELIST_DRAW_TRANSPARENT);
    }
    x += kImageSize + 4;
    dc.SetTextForeground(wxSystemSettings::GetColour(
        selected && !inControl ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT));
    const wxString text = ToWx(entry.text);
    dc.DrawText(text, x, rect.y + (rect.height - dc.GetCharHeight()) / 2);
}

wxCoord ImageComboWidget::OnMeasureItem(size_t) const {
    return ItemHeight();
}

wxCoord ImageComboWidget::ItemHeight() const {
    return std::max(kImageSize + 4, GetCharHeight() + 4);
}

wxCoord ImageComboWidget::OnMeasureItemWidth(size_t) const {
    return -1;
}

ImageComboControl::ImageComboControl(WindowCore& core, int id, ImageComboWidget* combo)
    : Control(core, id, combo), m_combo(combo) {
    combo->beforeDropDown = [this] {
        if (*m_alive) {
            win::Message message{win::MessageKind::ComboDropDown};
            message.id = m_id;
            Dispatch(message);
        }
    };
    combo->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& event) {
        if (!*m_alive) {
            event.Skip();
            return;
        }
        win::Message message{win::MessageKind::ComboSelChange};
        message.id = m_id;
        message.index = event.GetSelection();
        Dispatch(message);
    });
}

void ImageComboControl::ResetContent() {
    Run([this] {
        m_combo->Clear();
        m_combo->items.clear();
    });
}

int ImageComboControl::InsertItem(int index, const win::ImageComboItem& item) {
    return Ask<int>(
        [this, index, item] {
            auto& items = m_combo->items;
            const int count = static_cast<int>(items.size());
            const int at = index < 0 || index > count ? count : index;
            items.insert(items.begin() + at, item);
            m_combo->Insert(ToWx(item.text), static_cast<unsigned>(at));
            return at;
        },
        -1);
}

bool ImageComboControl::DeleteItem(int index) {
    return Ask<bool>([this, index] {
        auto& items = m_combo->items;
        if (index < 0 || index >= static_cast<int>(items.size())) {
            return false;
        }
        items.erase(items.begin() + index);
        m_combo->Delete(static_cast<unsigned>(index));
        return true;
    });
}

int ImageComboControl::GetCount() const {
    return Ask<int>([this] { return static_cast<int>(m_combo->items.size()); });
}

win::ImageComboItem ImageComboControl::GetItem(int index) const {
    return Ask<win::ImageComboItem>([this, index] {
        const auto& items = m_combo->items;
        return index >= 0 && index < static_cast<int>(items.size()) ? items[index]
                                                                    : win::ImageComboItem{};
    });
}

int ImageComboControl::GetCurSel() const {
    return Ask<int>([this] { return m_combo->GetSelection(); }, -1);
}

void ImageComboControl::SetCurSel(int index) {
    Run([this, index] {
        if (index < static_cast<int>(m_combo->items.size())) {
            m_combo->SetSelection(index < 0 ? wxNOT_FOUND : index);
            m_combo->Refresh();
        }
    });
}

std::string ImageComboControl::GetEditText() const {
    return Ask<std::string>([this] {
        return m_combo->HasFlag(wxCB_READONLY) ? std::string() : FromWx(m_combo->GetValue());
    });
}

void ImageComboControl::SetEditText(const std::string& text) {
    Run([this, text] {
        if (!m_combo->HasFlag(wxCB_READONLY)) {
            m_combo->ChangeValue(ToWx(text));
        }
    });
}

void ImageComboControl::SetImageList(int bitmapId) {
    Run([this, bitmapId] {
        wxImageList* images = LoadImageList(bitmapId);
        if (images != nullptr) {
            m_combo->images.reset(images);
            m_combo->Refresh();
        }
    });
}

} // namespace wxwin
