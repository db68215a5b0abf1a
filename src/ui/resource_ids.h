#pragma once
// Numbers of the module's resources and dialog controls, shared by the
// resource script and the code.
#define kIdApplicationTitle 100  // string: the caption of the dialogs' boxes
#define kIdCardPromptDialog 201
#define kIdTransferDialog 203
#define kIdAppCertPad 204
#define kIdAppConfirmDialog 207
#define kIdCardlessPad 209
#define kIdBondingPad 211
#define kIdPromptRemovePicture 248
#define kIdPromptInsertPicture 249

// The card prompt.
#define kIdPromptPictureArea 217

// The transfer confirmation.
#define kIdTransfereeText 212
#define kIdTransferorText 214
#define kIdAmountText 215

// The PIN pads: the ten keys by keypad position 0 (227), 1 (218) … 9 (226).
#define kIdKeyPosition0 227
#define kIdKeyPosition1 218
#define kIdPadConfirm 228
#define kIdPadClear 229
#define kIdPadBackspace 205
#define kIdCodeImage 230
#define kIdPasswordDisplay 231
#define kIdConfirmDisplay 233
#define kIdCardlessPasswordDisplay 254
#define kIdCardlessConfirmDisplay 255
#define kIdTypedCode 235
#define kIdCardPinDisplay 243
#define kIdCardPinCaption 244
#define kIdPadCountdown 246
#define kIdCardPinCount 251
#define kIdCardPinCountOpen 252
#define kIdCardPinCountClose 253

// The service confirmation.
#define kIdAppConfirmOk 228
#define kIdAppConfirmCancel 237
#define kIdActivityTitle 208
#define kIdAccountPicture 239
#define kIdAppHint 245
#define kIdAppCountdown 247
#define kIdAccountLabel 256
