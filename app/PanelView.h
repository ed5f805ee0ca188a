// What the main window's logic asks of its window. The Win32 main window
// implements this over its real controls; tests implement it by recording.
// Every call but the modal boxes is a plain setter: it repaints, notifies
// nobody and calls no operation of PanelCore back. A modal box runs a message
// loop: timers, device events and queued input reach PanelCore while it is
// open.
#pragma once

namespace velmora {

class PanelView {
public:
    // Status column, top to bottom: device, clock source, sample rate,
    // latency, input format, output format.
    static constexpr int STATUS_TEXT_COUNT = 6;

    virtual void setTitle(const char* text) = 0;
    virtual void setStatusText(int index, const char* text) = 0; // index 0..5
    // Check mark of a main-menu item, by command id (32776..32787).
    virtual void setMenuCheck(unsigned commandId, bool checked) = 0;
    // Check mark of one of the four radio buttons, by control id
    // (16416, 16417 output level; 16432, 16433 digital format).
    virtual void setRadioCheck(unsigned controlId, bool checked) = 0;
    // Check state of a page tab, by control id (8192 Control, 8194 Info).
    virtual void setTabCheck(unsigned controlId, int state) = 0;
    // A modal message box with the stop icon and an OK button.
    virtual void showError(const char* text) = 0;
    // A modal Yes/No question with the warning icon; true for Yes.
    virtual bool askYesNo(const char* text) = 0;
    // A modal message box with the warning icon and an OK button.
    virtual void showNotice(const char* text) = 0;
    // Asks to be called back (PanelCore::onNotice) once the window's own
    // message loop runs again, outside whatever operation is on the stack.
    virtual void scheduleNotice() = 0;
    virtual void showWindow(bool visible) = 0;
    // Whether the window is on the screen: texts are not made while it is not.
    virtual bool windowShown() const { return true; }
    // The notification-area icon (the tray's showIcon / hideIcon).
    virtual void showTrayIcon(bool visible) = 0;
    // The icon's tip (at most 127 characters); kept while the icon is hidden.
    virtual void setTrayTip(const char* text) = 0;
    virtual void startTimer(unsigned id, unsigned periodMs) = 0;
    virtual void stopTimer(unsigned id) = 0;
    // Ends the modal run with exit code 0 (the window is then destroyed).
    virtual void quit() = 0;
    // Stops the device listener (the last step of the window's destroy).
    virtual void stopListener() = 0;
    // Asks the device listener to announce every present unit again (event
    // 1) once the scan on the stack has ended, so that another unit present
    // when the current one leaves is taken.
    virtual void offerPresentUnits() = 0;
    // Asks the device listener to look for the units again through its
    // coalesced scan; once that scan has run, PanelCore hears event 4.
    virtual void lookForUnits() = 0;
    // Holds the device listener's poll of the units' event flags while
    // another session has the console (its panel reads them).
    virtual void holdEventPolls(bool held) { (void)held; }

protected:
    virtual ~PanelView() = default;
};

} // namespace velmora
