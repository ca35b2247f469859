/*
 * A driver double for the binding's load levels. Built several times; each FAKE_OMIT_<name>
 * switch leaves that export out. It counts the calls the binding may (or must not) make.
 */
#include "zmpxi_api.h"

#include <stddef.h>

ZMPXI_EXPORT int fakeInitCalls = 0;
ZMPXI_EXPORT int fakeDeInitCalls = 0;

#ifndef FAKE_OMIT_ZaMoDriverInit
int32_t ZaMoDriverInit(int32_t* boardCount) { ++fakeInitCalls; *boardCount = 0; return 0; }
#endif
#ifndef FAKE_OMIT_ZaMoDriverDeInit
int32_t ZaMoDriverDeInit(void) { ++fakeDeInitCalls; return 0; }
#endif
int32_t ZaMoGetParam_i32(int32_t b, int32_t c, int32_t* v) { (void)b; (void)c; *v = 0; return 0; }
int32_t ZaMoSetParam_i32(int32_t b, int32_t c, int32_t v) { (void)b; (void)c; (void)v; return 0; }
int32_t ZaMoGetParam_i64(int32_t b, int32_t c, int64_t* v) { (void)b; (void)c; *v = 0; return 0; }
int32_t ZaMoSetParam_i64(int32_t b, int32_t c, int64_t v) { (void)b; (void)c; (void)v; return 0; }
int32_t ZaMoSetParamStruct_str(const char* t, const char* i, const char* v) { (void)t; (void)i; (void)v; return 0; }
int32_t ZaMoGetParamStruct_str(const char* t, const char* i, char* b, uint32_t n) { (void)t; (void)i; (void)b; (void)n; return 0; }
int32_t ZaMoGetParamStruct_strLEN(const char* t, const char* i, uint32_t* n) { (void)t; (void)i; *n = 0; return 0; }
int32_t ZaMoSetParamXML_str(const char* t, const char* i, const char* v) { (void)t; (void)i; (void)v; return 0; }
int32_t ZaMoGetParamXML_str(const char* t, const char* i, char* b, uint32_t n) { (void)t; (void)i; (void)b; (void)n; return 0; }
int32_t ZaMoOpenCAN(int32_t b) { (void)b; return 0; }
int32_t ZaMoCloseCAN(int32_t b) { (void)b; return 0; }
#ifndef FAKE_OMIT_ZaMoGetChannelPropCAN
int32_t ZaMoGetChannelPropCAN(int32_t b, int32_t c, int32_t p, int64_t* v) { (void)b; (void)c; (void)p; *v = 0; return 0; }
#endif
int32_t ZaMoSetChannelPropCAN(int32_t b, int32_t c, int32_t p, int64_t v) { (void)b; (void)c; (void)p; (void)v; return 0; }
int32_t ZaMoStartCAN(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
int32_t ZaMoStopCAN(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
int32_t ZaMoReadCAN(int32_t b, ZaMoCanFrame* f, int32_t m, int32_t* n) { (void)b; (void)f; (void)m; *n = 0; return 0; }
int32_t ZaMoReadCANRawFrame(int32_t b, ZaMoCanFrame** f, int32_t* n) { (void)b; *f = NULL; *n = 0; return 0; }
int32_t ZaMoWriteCAN(int32_t b, const ZaMoCanFrame* f, int32_t c, int32_t* n) { (void)b; (void)f; *n = c; return 0; }
int32_t ZaMoErrorCntCAN(int32_t b, int32_t c, uint32_t* n) { (void)b; (void)c; *n = 0; return 0; }
int32_t ZaMoOpenDmaUart(int32_t b) { (void)b; return 0; }
int32_t ZaMoCloseDmaUart(int32_t b) { (void)b; return 0; }
int32_t ZaMoGetChannelPropDmaUart(int32_t b, int32_t c, int32_t p, int64_t* v) { (void)b; (void)c; (void)p; *v = 0; return 0; }
int32_t ZaMoSetChannelPropDmaUart(int32_t b, int32_t c, int32_t p, int64_t v) { (void)b; (void)c; (void)p; (void)v; return 0; }
int32_t ZaMoStartDmaUart(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
int32_t ZaMoStopDmaUart(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
int32_t ZaMoReadDmaUart(int32_t b, uint8_t* d, int32_t m, int32_t* n) { (void)b; (void)d; (void)m; *n = 0; return 0; }
int32_t ZaMoReadDmaUartRawFrame(int32_t b, ZaMoUartFrame** f, int32_t* n) { (void)b; *f = NULL; *n = 0; return 0; }
int32_t ZaMoWriteDmaUart(int32_t b, const uint8_t* d, int32_t c, int32_t* n) { (void)b; (void)d; *n = c; return 0; }
#ifndef FAKE_OMIT_ZaMoErrorConstantToString
const char* ZaMoErrorConstantToString(int32_t c) { (void)c; return "fake"; }
#endif
#ifndef FAKE_OMIT_ZaMoGetParamXML_strLEN
int32_t ZaMoGetParamXML_strLEN(const char* t, const char* i, uint32_t* n) { (void)t; (void)i; *n = 0; return 0; }
#endif
#ifndef FAKE_OMIT_ZaMoFreeFramesCAN
int32_t ZaMoFreeFramesCAN(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
#endif
#ifndef FAKE_OMIT_ZaMoFreeDmaUartRawFrame
int32_t ZaMoFreeDmaUartRawFrame(int32_t b, int32_t c) { (void)b; (void)c; return 0; }
#endif
