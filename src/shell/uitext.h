// The user-interface text table: every caption, list entry, grid heading,
// status text and message the windows take from one place, so that a language
// file can replace them. 356 texts, each in a named member; the order of the
// members is the slot order (1..356) in which the English defaults are
// assigned. Texts are UTF-8; language files are code page 1252 on disk.
#pragma once
#include <span>
#include <string>
#include <string_view>

namespace vkz {

struct UiText {
  std::string TxtClearMemory;                       // 1
  std::string TxtExit;                              // 2
  std::string TxtComPort;                           // 3
  std::string TxtAutoScan;                          // 4
  std::string TxtResetComPort;                      // 5
  std::string TxtOK;                                // 6
  std::string TxtDeviceManager;                     // 7
  std::string TxtDevice;                            // 8
  std::string TxtSet;                               // 9
  std::string TxtMeter1;                            // 10
  std::string TxtMeter2;                            // 11
  std::string TxtMeter3;                            // 12
  std::string TxtEnabled;                           // 13
  std::string TxtStandard;                          // 14
  std::string TxtTimeWeighted;                      // 15
  std::string TxtThreshold;                         // 16
  std::string TxtCriterion;                         // 17
  std::string TxtExchangeRate;                      // 18
  std::string TxtExceedance;                        // 19
  std::string TxtPWDuration;                        // 20
  std::string TxtKalvox;                            // 21
  std::string TxtMemoryErasing;                     // 22
  std::string TxtSetErrorD1StandardD2Standard;      // 23
  std::string TxtSetErrorD1StandardD3Standard;      // 24
  std::string TxtErrorMeter1CriterionThreshold;     // 25
  std::string TxtErrorMeter2CriterionThreshold;     // 26
  std::string TxtErrorMeter3CriterionThreshold;     // 27
  std::string TxtSetErrorD2StandardD3Standard;      // 28
  std::string TxtSetErrorD1PWDuration;              // 29
  std::string TxtSetErrorD2PWDuration;              // 30
  std::string TxtSetErrorD3PWDuration;              // 31
  std::string TxtHelp;                              // 32
  std::string TxtManualEnglish;                     // 33
  std::string TxtLanguage;                          // 34
  std::string TxtLEDAlarm;                          // 35
  std::string TxtLowerLimit;                        // 36
  std::string TxtUpperLimit;                        // 37
  std::string TxtLAS;                               // 38
  std::string TxtLAEQ;                              // 39
  std::string TxtLCPK;                              // 40
  std::string TxtLZPK;                              // 41
  std::string TxtLAVG;                              // 42
  std::string TxtTWA;                               // 43
  std::string TxtPTWA;                              // 44
  std::string TxtLEPd;                              // 45
  std::string TxtPLEPd;                             // 46
  std::string TxtLEX8H;                             // 47
  std::string TxtPLEX8H;                            // 48
  std::string TxtLowerLimitRange;                   // 49
  std::string TxtUpperLimitRange;                   // 50
  std::string TxtMemory;                            // 51
  std::string TxtTotalSize;                         // 52
  std::string TxtRemainSize;                        // 53
  std::string TxtMessage;                           // 54
  std::string TxtRTC;                               // 55
  std::string TxtPCTime;                            // 56
  std::string TxtMeterTime;                         // 57
  std::string TxtMeter;                             // 58
  std::string TxtUp;                                // 59
  std::string TxtDown;                              // 60
  std::string TxtPage3;                             // 61
  std::string TxtPage4;                             // 62
  std::string TxtPage5;                             // 63
  std::string TxtPage6;                             // 64
  std::string TxtPage7;                             // 65
  std::string TxtPage8;                             // 66
  std::string TxtPage9;                             // 67
  std::string TxtPage10;                            // 68
  std::string TxtPage11;                            // 69
  std::string TxtPage12;                            // 70
  std::string TxtPage13;                            // 71
  std::string TxtPage14;                            // 72
  std::string TxtOpenFile;                          // 73
  std::string TxtComPortSet;                        // 74
  std::string TxtShowSettingPanel;                  // 75
  std::string TxtRealTimeList;                      // 76
  std::string TxtDrawRealTimeGraphics;              // 77
  std::string TxtRealTimeSet;                       // 78
  std::string TxtSetTimerSettingTimeOut;            // 79
  std::string TxtGetMemoryInformationTimeOutError;  // 80
  std::string TxtConnection;                        // 81
  std::string TxtErasing;                           // 82
  std::string TxtDisconnection;                     // 83
  std::string TxtLoad;                              // 84
  std::string TxtSetOK;                             // 85
  std::string TxtSetFail;                           // 86
  std::string TxtMemoryInfoNoData;                  // 87
  std::string TxtLoadComplete;                      // 88
  std::string TxtGetMemoryInfoOK;                   // 89
  std::string TxtSettingPanel;                      // 90
  std::string TxtLcdContrast;                       // 91
  std::string TxtLcdAPO;                            // 92
  std::string TxtTimers;                            // 93
  std::string TxtScreen;                            // 94
  std::string TxtPause;                             // 95
  std::string TxtAutoLockKeypad;                    // 96
  std::string TxtAutoScrollScreens;                 // 97
  std::string TxtInputText;                         // 98
  std::string TxtMode;                              // 99
  std::string TxtRepeat;                            // 100
  std::string TxtEn;                                // 101
  std::string TxtStart;                             // 102
  std::string TxtDuration;                          // 103
  std::string TxtStartTime;                         // 104
  std::string TxtYear;                              // 105
  std::string TxtMonth;                             // 106
  std::string TxtDay;                               // 107
  std::string TxtHour;                              // 108
  std::string TxtMinute;                            // 109
  std::string TxtWelcomeTextSetting;                // 110
  std::string TxtRecord;                            // 111
  std::string TxtSetting;                           // 112
  std::string TxtOtherOption;                       // 113
  std::string TxtNos;                               // 114
  std::string TxtDateTime;                          // 115
  std::string TxtIndex;                             // 116
  std::string TxtClearMemoryAreYouSure;             // 117
  std::string TxtSetError;                          // 118
  std::string TxtDelayYearRange;                    // 119
  std::string TxtDelayMonthRange;                   // 120
  std::string TxtDelayDayRange;                     // 121
  std::string TxtDelayHourRange;                    // 122
  std::string TxtDelayMinuteRange;                  // 123
  std::string TxtRepeatStartHourRange;              // 124
  std::string TxtRepeatStartMinuteRange;            // 125
  std::string TxtRepeatStopHourRange;               // 126
  std::string TxtRepeatStopMinuteRange;             // 127
  std::string TxtPCStartHourRange;                  // 128
  std::string TxtPCStartMinuteRange;                // 129
  std::string TxtPCStopHourRange;                   // 130
  std::string TxtPCStopMinuteRange;                 // 131
  std::string TxtPage;                              // 132
  std::string TxtLeq;                               // 133
  std::string TxtHeaderItem;                        // 134
  std::string TxtAll;                               // 135
  std::string TxtSaveFile;                          // 136
  std::string TxtPrint;                             // 137
  std::string TxtExportPDF;                         // 138
  std::string TxtD1;                                // 139
  std::string TxtD2;                                // 140
  std::string TxtD3;                                // 141
  std::string TxtStartDateTime;                     // 142
  std::string TxtStopDateTime;                      // 143
  std::string TxtTotalPoint;                        // 144
  std::string TxtExceedanceLevel;                   // 145
  std::string TxtIntervalTime;                      // 146
  std::string TxtDose;                              // 147
  std::string TxtPDose;                             // 148
  std::string TxtTi;                                // 149
  std::string TxtLCEQ;                              // 150
  std::string TxtLZEQ;                              // 151
  std::string TxtLAE;                               // 152
  std::string TxtLCE;                               // 153
  std::string TxtLZE;                               // 154
  std::string TxtEA;                                // 155
  std::string TxtEC;                                // 156
  std::string TxtEZ;                                // 157
  std::string TxtPKA;                               // 158
  std::string TxtPKC;                               // 159
  std::string TxtPKZ;                               // 160
  std::string TxtHML;                               // 161
  std::string TxtEXPh;                              // 162
  std::string TxtEXPs;                              // 163
  std::string TxtLAFMax;                            // 164
  std::string TxtLAFMaxTimer;                       // 165
  std::string TxtLAFMin;                            // 166
  std::string TxtLAFMinTimer;                       // 167
  std::string TxtLASMax;                            // 168
  std::string TxtLASMaxTimer;                       // 169
  std::string TxtLASMin;                            // 170
  std::string TxtLASMinTimer;                       // 171
  std::string TxtLAIMax;                            // 172
  std::string TxtLAIMaxTimer;                       // 173
  std::string TxtLAIMin;                            // 174
  std::string TxtLAIMinTimer;                       // 175
  std::string TxtLCFMax;                            // 176
  std::string TxtLCFMaxTimer;                       // 177
  std::string TxtLCFMin;                            // 178
  std::string TxtLCFMinTimer;                       // 179
  std::string TxtLCSMax;                            // 180
  std::string TxtLCSMaxTimer;                       // 181
  std::string TxtLCSMin;                            // 182
  std::string TxtLCSMinTimer;                       // 183
  std::string TxtLCIMax;                            // 184
  std::string TxtLCIMaxTimer;                       // 185
  std::string TxtLCIMin;                            // 186
  std::string TxtLCIMinTimer;                       // 187
  std::string TxtLZFMax;                            // 188
  std::string TxtLZFMaxTimer;                       // 189
  std::string TxtLZFMin;                            // 190
  std::string TxtLZFMinTimer;                       // 191
  std::string TxtLZSMax;                            // 192
  std::string TxtLZSMaxTimer;                       // 193
  std::string TxtLZSMin;                            // 194
  std::string TxtLZSMinTimer;                       // 195
  std::string TxtLZIMax;                            // 196
  std::string TxtLZIMaxTimer;                       // 197
  std::string TxtLZIMin;                            // 198
  std::string TxtLZIMinTimer;                       // 199
  std::string TxtNEN;                               // 200
  std::string TxtExceedanceTime;                    // 201
  std::string TxtLAF10;                             // 202
  std::string TxtLAS10;                             // 203
  std::string TxtLAI10;                             // 204
  std::string TxtLCF10;                             // 205
  std::string TxtLCS10;                             // 206
  std::string TxtLCI10;                             // 207
  std::string TxtLZF10;                             // 208
  std::string TxtLZS10;                             // 209
  std::string TxtLZI10;                             // 210
  std::string TxtLAF50;                             // 211
  std::string TxtLAS50;                             // 212
  std::string TxtLAI50;                             // 213
  std::string TxtLCF50;                             // 214
  std::string TxtLCS50;                             // 215
  std::string TxtLCI50;                             // 216
  std::string TxtLZF50;                             // 217
  std::string TxtLZS50;                             // 218
  std::string TxtLZI50;                             // 219
  std::string TxtLAF90;                             // 220
  std::string TxtLAS90;                             // 221
  std::string TxtLAI90;                             // 222
  std::string TxtLCF90;                             // 223
  std::string TxtLCS90;                             // 224
  std::string TxtLCI90;                             // 225
  std::string TxtLZF90;                             // 226
  std::string TxtLZS90;                             // 227
  std::string TxtLZI90;                             // 228
  std::string TxtLAF95;                             // 229
  std::string TxtLAS95;                             // 230
  std::string TxtLAI95;                             // 231
  std::string TxtLCF95;                             // 232
  std::string TxtLCS95;                             // 233
  std::string TxtLCI95;                             // 234
  std::string TxtLZF95;                             // 235
  std::string TxtLZS95;                             // 236
  std::string TxtLZI95;                             // 237
  std::string TxtLAF05;                             // 238
  std::string TxtLAS05;                             // 239
  std::string TxtLAI05;                             // 240
  std::string TxtLCF05;                             // 241
  std::string TxtLCS05;                             // 242
  std::string TxtLCI05;                             // 243
  std::string TxtLZF05;                             // 244
  std::string TxtLZS05;                             // 245
  std::string TxtLZI05;                             // 246
  std::string TxtKi;                                // 247
  std::string TxtLAFTM5;                            // 248
  std::string TxtLAFTM3;                            // 249
  std::string TxtResolution;                        // 250
  std::string TxtGraphicPlot;                       // 251
  std::string TxtHistogram;                         // 252
  std::string TxtLimit;                             // 253
  std::string TxtNormalMode;                        // 254
  std::string TxtNormal;                            // 255
  std::string TxtCursorCoordinates;                 // 256
  std::string TxtPanXY;                             // 257
  std::string TxtPanX;                              // 258
  std::string TxtPanY;                              // 259
  std::string TxtZoomXY;                            // 260
  std::string TxtZoomX;                             // 261
  std::string TxtZoomY;                             // 262
  std::string TxtReset;                             // 263
  std::string TxtGraphRange;                        // 264
  std::string TxtTrackMode;                         // 265
  std::string TxtCursorInformation;                 // 266
  std::string TxtMin;                               // 267
  std::string TxtMax;                               // 268
  std::string TxtNosX;                              // 269
  std::string TxtNosY;                              // 270
  std::string TxtResetScale;                        // 271
  std::string TxtPrintGraph;                        // 272
  std::string TxtHelpCursor;                        // 273
  std::string TxtHelpPanXY;                         // 274
  std::string TxtHelpPanX;                          // 275
  std::string TxtHelpPanY;                          // 276
  std::string TxtHelpZoomXY;                        // 277
  std::string TxtHelpZoomX;                         // 278
  std::string TxtHelpZoomY;                         // 279
  std::string TxtSelectAValidTrackMode;             // 280
  std::string TxtON;                                // 281
  std::string TxtOFF;                               // 282
  std::string Txt5Sec;                              // 283
  std::string Txt10Sec;                             // 284
  std::string Txt20Sec;                             // 285
  std::string Txt30Sec;                             // 286
  std::string Txt1Min;                              // 287
  std::string Txt5Min;                              // 288
  std::string Txt10Min;                             // 289
  std::string Txt30Min;                             // 290
  std::string Txt1Hr;                               // 291
  std::string Txt2Hr;                               // 292
  std::string TxtCompleted;                         // 293
  std::string TxtDisabled;                          // 294
  std::string TxtOSHA80;                            // 295
  std::string TxtOSHA90;                            // 296
  std::string TxtMSHA80;                            // 297
  std::string TxtMSHA90;                            // 298
  std::string TxtDOD;                               // 299
  std::string TxtACGIH;                             // 300
  std::string TxtISO85;                             // 301
  std::string TxtISO90;                             // 302
  std::string TxtNR15;                              // 303
  std::string TxtNHO11;                             // 304
  std::string TxtUSER1;                             // 305
  std::string TxtUSER2;                             // 306
  std::string TxtUSER3;                             // 307
  std::string TxtUSER4;                             // 308
  std::string TxtUSER5;                             // 309
  std::string TxtUSER6;                             // 310
  std::string TxtUSER7;                             // 311
  std::string TxtUSER8;                             // 312
  std::string TxtUSER9;                             // 313
  std::string TxtSLOW;                              // 314
  std::string TxtFAST;                              // 315
  std::string TxtIMPULSE;                           // 316
  std::string TxtManually;                          // 317
  std::string TxtDelay;                             // 318
  std::string TxtPC;                                // 319
  std::string TxtFrequencyTimes;                    // 320
  std::string TxtKalvox1;                           // 321
  std::string TxtKalvox2;                           // 322
  std::string TxtKalvox3;                           // 323
  std::string TxtSystemTime;                        // 324
  std::string TxtSPLAF;                             // 325
  std::string TxtSPLAS;                             // 326
  std::string TxtSPLAI;                             // 327
  std::string TxtSPLCF;                             // 328
  std::string TxtSPLCS;                             // 329
  std::string TxtSPLCI;                             // 330
  std::string TxtSPLZF;                             // 331
  std::string TxtSPLZS;                             // 332
  std::string TxtSPLZI;                             // 333
  std::string TxtBattery;                           // 334
  std::string TxtMemRemain;                         // 335
  std::string TxtLAIEQ;                             // 336
  std::string TxtLCIEQ;                             // 337
  std::string TxtLZIEQ;                             // 338
  std::string TxtCalibration;                       // 339
  std::string TxtLAEQ10;                            // 340
  std::string TxtLAEQ50;                            // 341
  std::string TxtLAEQ90;                            // 342
  std::string TxtLAEQ95;                            // 343
  std::string TxtLAEQ05;                            // 344
  std::string TxtExceedanceStopTime;                // 345
  std::string TxtDB;                                // 346
  std::string TxtLunchTime;                         // 347
  std::string TxtStop;                              // 348
  std::string TxtEvaluator;                         // 349
  std::string TxtEvaluated;                         // 350
  std::string TxtDepartment;                        // 351
  std::string TxtCompany;                           // 352
  std::string TxtObservations;                      // 353
  std::string TxtManualPortugues;                   // 354
  std::string TxtPNEN;                              // 355
  std::string TxtOutputRecordData;                  // 356
};

// Assigns every text its English default, slot 1 first, replacing what it
// held. Called once per run, before the language file is read. (The
// program's text table is one of its program-wide records; every text is
// empty until the defaults are set.)
void LoadDefaultStrings(UiText& texts);
// The same as LoadDefaultStrings().
void SetUiTextDefaults(UiText& texts);

constexpr int kUiTextSlotCount = 356;

// One slot of the table. `key` is the first field of a language-file line
// that replaces the slot: usually the English default itself; 19 slots have
// another key ("Meter 1" for "Meter1", "Page 3" for "Page3" ...), and three
// slots (LunchTime, Stop, Output Record Data?) have none (nullptr).
struct UiTextSlot {
  int slot;  // 1..356
  const char* name;
  std::string UiText::*member;
  const char* english;
  const char* key;
};

// All slots in slot order.
std::span<const UiTextSlot> UiTextSlots();

// The slot whose language key is `key` exactly (case and blanks count), or
// nullptr when no slot has that key.
const UiTextSlot* FindUiTextKey(std::string_view key);

}  // namespace vkz
