#pragma once
// The timed box's three questions:
// - CXyAskDlg: a question with a text input box; the typed text goes with the OK answer as a
//   text payload token in the record's first parameter (the receiver takes it from the object
//   module; what nobody takes is freed).
// - CXyAskExitDlg: another player asks to leave the table, with his reason; agree or refuse,
//   refused when the hidden count-down runs out.
// - CXyAskKanPaiDlg: a looking-on user asks to see the player's hand; agree or refuse.
#include "engine/text/Markup.h"
#include "framework/frame/CXyTimerDlg.h"

namespace Lumora {
class CXyInputBox;
}

class CXyAskDlg : public CXyTimerDlg {
public:
    virtual void Ask(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel, int rows);
    // Takes effect only once the input box exists (after Ask).
    virtual void SetMaxLength(int length);

    int MeasureText(PlaneObject* plane, const Lumora::Markup& text, int fontSize) override;
    void PlaceText(PlaneObject* plane, const Lumora::Markup& text) override;
    void OnOk() override;

    Lumora::CXyInputBox* GetInputBox() const { return input_; }
    int GetRows() const { return rows_; }

private:
    Lumora::CXyInputBox* input_ = nullptr;
    int rows_ = 3;
};

class CXyAskExitDlg : public CXyTimerDlg {
public:
    virtual void Ask(const char* name, const char* reason, const char* icon, const EventRecord* ok,
                     const EventRecord* cancel, int seconds);
    virtual CXyStandButton* CreateAgreeButton();
    virtual CXyStandButton* CreateRefuseButton();

    int MeasureText(PlaneObject* plane, const Lumora::Markup& text, int fontSize) override;
    void PlaceText(PlaneObject* plane, const Lumora::Markup& text) override;
    void CreateCloseButton() override {}
    void StartCountdown(int seconds) override;
    void CreateIcon(const char* picture) override;
    void GetSkinName(std::string& out) const override;
    void GetTitle(std::string& out) const override { out.clear(); }

private:
    std::string name_; // as drawn
    std::string reason_;
};

class CXyAskKanPaiDlg : public CXyTimerDlg {
public:
    virtual void Ask(const char* name, const char* icon, const EventRecord* ok, const EventRecord* cancel);
    virtual CXyStandButton* CreateAcceptButton();
    virtual CXyStandButton* CreateRefuseButton();

    int MeasureText(PlaneObject* plane, const Lumora::Markup& text, int fontSize) override;
    void PlaceText(PlaneObject* plane, const Lumora::Markup& text) override;
    void CreateCloseButton() override {}
    void CreateIcon(const char* picture) override;
    void GetSkinName(std::string& out) const override;
    void GetTitle(std::string& out) const override { out.clear(); }

private:
    std::string name_; // as drawn
};
