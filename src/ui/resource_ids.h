#pragma once
// Numbers of the module's resources and dialog controls.
#define kIdTransferDialog 203
#define kIdTransfereeText 212
#define kIdTransferorText 214
#define kIdAmountText 215
