#pragma once
// The browser object behind a page at `location`, one reference held.
#include <unknwn.h>

#ifdef __cplusplus
extern "C" {
#endif

IUnknown* NewPageBrowser(const wchar_t* location);

#ifdef __cplusplus
}
#endif
