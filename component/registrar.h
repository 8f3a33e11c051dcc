#ifndef VELLUMTRACE_COMPONENT_REGISTRAR_H_
#define VELLUMTRACE_COMPONENT_REGISTRAR_H_

#include <windows.h>
#include <unknwn.h>

namespace vellumtrace {

// The platform's registrar object, which applies a registry script with
// %NAME% replacements. mingw-w64's headers do not declare it.
inline constexpr CLSID kClsidRegistrar = {
    0x44ec053a, 0x400f, 0x11d0, {0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3}};
inline constexpr IID kIidRegistrar = {
    0x44ec053b, 0x400f, 0x11d0, {0x9d, 0xcd, 0x00, 0xa0, 0xc9, 0x03, 0x91, 0xd3}};

// Method order is the vtable order of the platform's interface.
struct IRegistrar : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR resourceFile, LPCOLESTR id,
                                                       LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR resourceFile, LPCOLESTR id,
                                                         LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR fileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR fileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
  virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR resourceFile, UINT id,
                                                     LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR resourceFile, UINT id,
                                                       LPCOLESTR type) = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRAR_H_
