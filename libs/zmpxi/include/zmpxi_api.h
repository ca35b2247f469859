#ifndef ZMPXI_API_H
#define ZMPXI_API_H
/*
 * The acquisition driver's C interface: 34 entry points, resolved by name at run time.
 * Every function returns a signed 32-bit driver result (0 success, > 0 error, < 0 warning),
 * except ZaMoErrorConstantToString, which returns a text owned by the driver.
 * Text arguments are NUL-terminated 8-bit strings.
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ZMPXI_EXPORT __declspec(dllexport)
#else
#define ZMPXI_EXPORT __attribute__((visibility("default")))
#endif

/* One CAN frame as the driver stores and hands it out. */
typedef struct ZaMoCanFrame {
    uint64_t timestampUs; /* driver clock, microseconds */
    uint32_t id;          /* 11- or 29-bit identifier */
    uint8_t channel;      /* 0..3 */
    uint8_t flags;        /* bit 0 extended id, bit 1 remote frame, bit 2 error frame */
    uint8_t dlc;          /* 0..8 */
    uint8_t reserved;
    uint8_t data[8];
} ZaMoCanFrame;

/* One received UART block. */
typedef struct ZaMoUartFrame {
    uint64_t timestampUs;
    uint8_t channel;
    uint8_t reserved[3];
    uint32_t length;      /* valid bytes in data */
    uint8_t data[256];
} ZaMoUartFrame;

ZMPXI_EXPORT int32_t ZaMoDriverInit(int32_t* boardCount);
ZMPXI_EXPORT int32_t ZaMoDriverDeInit(void);
ZMPXI_EXPORT int32_t ZaMoGetParam_i32(int32_t board, int32_t command, int32_t* value);
ZMPXI_EXPORT int32_t ZaMoSetParam_i32(int32_t board, int32_t command, int32_t value);
ZMPXI_EXPORT int32_t ZaMoGetParam_i64(int32_t board, int32_t command, int64_t* value);
ZMPXI_EXPORT int32_t ZaMoSetParam_i64(int32_t board, int32_t command, int64_t value);
ZMPXI_EXPORT int32_t ZaMoSetParamStruct_str(const char* target, const char* item, const char* value);
ZMPXI_EXPORT int32_t ZaMoGetParamStruct_str(const char* target, const char* item, char* buffer, uint32_t bufferSize);
ZMPXI_EXPORT int32_t ZaMoGetParamStruct_strLEN(const char* target, const char* item, uint32_t* length);
ZMPXI_EXPORT int32_t ZaMoSetParamXML_str(const char* target, const char* item, const char* value);
ZMPXI_EXPORT int32_t ZaMoGetParamXML_str(const char* target, const char* item, char* buffer, uint32_t bufferSize);
ZMPXI_EXPORT int32_t ZaMoOpenCAN(int32_t board);
ZMPXI_EXPORT int32_t ZaMoCloseCAN(int32_t board);
ZMPXI_EXPORT int32_t ZaMoGetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t* value);
ZMPXI_EXPORT int32_t ZaMoSetChannelPropCAN(int32_t board, int32_t channel, int32_t property, int64_t value);
ZMPXI_EXPORT int32_t ZaMoStartCAN(int32_t board, int32_t channel);
ZMPXI_EXPORT int32_t ZaMoStopCAN(int32_t board, int32_t channel);
ZMPXI_EXPORT int32_t ZaMoReadCAN(int32_t board, ZaMoCanFrame* frames, int32_t maxCount, int32_t* count);
ZMPXI_EXPORT int32_t ZaMoReadCANRawFrame(int32_t board, ZaMoCanFrame** frames, int32_t* count);
ZMPXI_EXPORT int32_t ZaMoWriteCAN(int32_t board, const ZaMoCanFrame* frames, int32_t count, int32_t* written);
ZMPXI_EXPORT int32_t ZaMoErrorCntCAN(int32_t board, int32_t channel, uint32_t* errorCount);
ZMPXI_EXPORT int32_t ZaMoOpenDmaUart(int32_t board);
ZMPXI_EXPORT int32_t ZaMoCloseDmaUart(int32_t board);
ZMPXI_EXPORT int32_t ZaMoGetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t* value);
ZMPXI_EXPORT int32_t ZaMoSetChannelPropDmaUart(int32_t board, int32_t channel, int32_t property, int64_t value);
ZMPXI_EXPORT int32_t ZaMoStartDmaUart(int32_t board, int32_t channel);
ZMPXI_EXPORT int32_t ZaMoStopDmaUart(int32_t board, int32_t channel);
ZMPXI_EXPORT int32_t ZaMoReadDmaUart(int32_t board, uint8_t* bytes, int32_t maxCount, int32_t* count);
ZMPXI_EXPORT int32_t ZaMoReadDmaUartRawFrame(int32_t board, ZaMoUartFrame** frames, int32_t* count);
ZMPXI_EXPORT int32_t ZaMoWriteDmaUart(int32_t board, const uint8_t* bytes, int32_t count, int32_t* written);
ZMPXI_EXPORT const char* ZaMoErrorConstantToString(int32_t code);
ZMPXI_EXPORT int32_t ZaMoGetParamXML_strLEN(const char* target, const char* item, uint32_t* length);
ZMPXI_EXPORT int32_t ZaMoFreeFramesCAN(int32_t board, int32_t count);
ZMPXI_EXPORT int32_t ZaMoFreeDmaUartRawFrame(int32_t board, int32_t count);

/* Function pointer types, for callers that resolve the entry points at run time. */
typedef int32_t (*ZaMoDriverInit_t)(int32_t*);
typedef int32_t (*ZaMoDriverDeInit_t)(void);
typedef int32_t (*ZaMoGetParam_i32_t)(int32_t, int32_t, int32_t*);
typedef int32_t (*ZaMoSetParam_i32_t)(int32_t, int32_t, int32_t);
typedef int32_t (*ZaMoGetParam_i64_t)(int32_t, int32_t, int64_t*);
typedef int32_t (*ZaMoSetParam_i64_t)(int32_t, int32_t, int64_t);
typedef int32_t (*ZaMoSetParamStruct_str_t)(const char*, const char*, const char*);
typedef int32_t (*ZaMoGetParamStruct_str_t)(const char*, const char*, char*, uint32_t);
typedef int32_t (*ZaMoGetParamStruct_strLEN_t)(const char*, const char*, uint32_t*);
typedef int32_t (*ZaMoSetParamXML_str_t)(const char*, const char*, const char*);
typedef int32_t (*ZaMoGetParamXML_str_t)(const char*, const char*, char*, uint32_t);
typedef int32_t (*ZaMoOpenCAN_t)(int32_t);
typedef int32_t (*ZaMoCloseCAN_t)(int32_t);
typedef int32_t (*ZaMoGetChannelPropCAN_t)(int32_t, int32_t, int32_t, int64_t*);
typedef int32_t (*ZaMoSetChannelPropCAN_t)(int32_t, int32_t, int32_t, int64_t);
typedef int32_t (*ZaMoStartCAN_t)(int32_t, int32_t);
typedef int32_t (*ZaMoStopCAN_t)(int32_t, int32_t);
typedef int32_t (*ZaMoReadCAN_t)(int32_t, ZaMoCanFrame*, int32_t, int32_t*);
typedef int32_t (*ZaMoReadCANRawFrame_t)(int32_t, ZaMoCanFrame**, int32_t*);
typedef int32_t (*ZaMoWriteCAN_t)(int32_t, const ZaMoCanFrame*, int32_t, int32_t*);
typedef int32_t (*ZaMoErrorCntCAN_t)(int32_t, int32_t, uint32_t*);
typedef int32_t (*ZaMoOpenDmaUart_t)(int32_t);
typedef int32_t (*ZaMoCloseDmaUart_t)(int32_t);
typedef int32_t (*ZaMoGetChannelPropDmaUart_t)(int32_t, int32_t, int32_t, int64_t*);
typedef int32_t (*ZaMoSetChannelPropDmaUart_t)(int32_t, int32_t, int32_t, int64_t);
typedef int32_t (*ZaMoStartDmaUart_t)(int32_t, int32_t);
typedef int32_t (*ZaMoStopDmaUart_t)(int32_t, int32_t);
typedef int32_t (*ZaMoReadDmaUart_t)(int32_t, uint8_t*, int32_t, int32_t*);
typedef int32_t (*ZaMoReadDmaUartRawFrame_t)(int32_t, ZaMoUartFrame**, int32_t*);
typedef int32_t (*ZaMoWriteDmaUart_t)(int32_t, const uint8_t*, int32_t, int32_t*);
typedef const char* (*ZaMoErrorConstantToString_t)(int32_t);
typedef int32_t (*ZaMoGetParamXML_strLEN_t)(const char*, const char*, uint32_t*);
typedef int32_t (*ZaMoFreeFramesCAN_t)(int32_t, int32_t);
typedef int32_t (*ZaMoFreeDmaUartRawFrame_t)(int32_t, int32_t);

#ifdef __cplusplus
}
#endif

#endif
