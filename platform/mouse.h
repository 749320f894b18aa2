#pragma once
// The system's mouse settings the console changes: the double-click time and
// the order of the buttons. SetDoubleClickTime and SwapMouseButton act for
// the session only; the saving calls set and also keep them for the next
// log-on, as the system's own control panel does.
//
// Method names avoid the ...A/...W names that windows.h turns into macros.
namespace velmaro::platform {

class Mouse {
public:
  virtual ~Mouse() = default;

  // GetDoubleClickTime: the time in force, in milliseconds.
  virtual unsigned DoubleClickTime() = 0;
  // SetDoubleClickTime, for this session. False when the system refused.
  virtual bool SetDoubleClickTime(unsigned ms) = 0;
  // SwapMouseButton, for this session: true makes the right button the
  // primary one (left-handed).
  virtual void SwapButtons(bool swap) = 0;
  // GetSystemMetrics(SM_SWAPBUTTON).
  virtual bool ButtonsSwapped() = 0;

  // SystemParametersInfo(SPI_SETDOUBLECLICKTIME or SPI_SETMOUSEBUTTONSWAP,
  // SPIF_UPDATEINIFILE | SPIF_SENDCHANGE): in force at once and kept. False
  // when the system refused.
  virtual bool SaveDoubleClickTime(unsigned ms) = 0;
  virtual bool SaveButtonsSwapped(bool swap) = 0;

  // What the saving calls keep for the next log-on (the session's own may
  // differ while a trial time is in force): what an undo puts back.
  virtual unsigned KeptDoubleClickTime() { return DoubleClickTime(); }
  virtual bool KeptButtonsSwapped() { return ButtonsSwapped(); }
};

}  // namespace velmaro::platform
