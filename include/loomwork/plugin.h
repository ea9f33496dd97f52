/*
 * Loomwork plug-in interface (64-bit Linux).
 *
 * A plug-in is a shared object ("NAME.so") in the "plugins" folder of a title. When the runtime
 * starts it loads every such file, in the order of their names, and looks up the exported C
 * function "PlugProc". Every exchange between the runtime and a plug-in goes through one
 * parameter block: the runtime fills one in to call the plug-in (open, close, a script call),
 * and the plug-in fills one in to ask the runtime for a service through the service entry that
 * comes with every call.
 *
 * Parameter block (LwParameterBlock), 88 bytes, native byte order, natural alignment:
 *
 *   OFFSET SIZE FIELD           DESCRIPTION
 *   0      2    code            what is asked: LW_CALL_OPEN/CLOSE/SCRIPT into a plug-in, or a
 *                               service code LW_SERVICE_... (500..516) into the runtime
 *   2      6    (padding)
 *   8      16   arguments[0]    argument 1 (an LwValue); unused arguments have type
 *   24     16   arguments[1]    argument 2   LW_TYPE_NONE
 *   40     16   arguments[2]    argument 3
 *   56     16   arguments[3]    argument 4
 *   72     16   result          filled in by whoever answers; the asker sets its type to
 *                               LW_TYPE_NONE first
 *
 * Value slot (LwValue), 16 bytes:
 *
 *   OFFSET SIZE FIELD           DESCRIPTION
 *   0      2    type            LW_TYPE_NONE, LW_TYPE_NUMBER, LW_TYPE_TEXT or LW_TYPE_BLOCK
 *   2      6    (padding)
 *   8      8    value           by type: number (int32_t, in the first 4 bytes), text (a
 *                               pointer to a length-prefixed string: a length byte followed by
 *                               up to 255 characters, held in a buffer of LW_TEXT_BUFFER_SIZE
 *                               bytes), block (a handle that the runtime gave out)
 *
 * Calls into a plug-in: PlugProc(block, service) gives 0 on success.
 *   LW_CALL_OPEN    at runtime start: set result to a text holding the plug-in's name (up to
 *                   15 characters; scripts find it without regard to the case of A..Z). A
 *                   plug-in that gives a non-zero code or no text is unloaded and not listed.
 *   LW_CALL_CLOSE   at runtime stop: give 0 and leave the result as LW_TYPE_NONE.
 *   LW_CALL_SCRIPT  from the script built-ins plugin()/pluginfx(): up to four arguments, each a
 *                   number or a text (texts in 256-byte buffers that the plug-in may change
 *                   during the call). A non-zero code is the script's error code. Set result
 *                   to a number or a text (which must stay valid until PlugProc returns), or
 *                   leave it LW_TYPE_NONE.
 *
 * Services: service(block) gives 0, or LW_RESULT_MISMATCH (109) when the code is unknown, an
 * argument has the wrong type, a block handle is not a live block of this runtime, or the
 * request cannot be met. The result type is LW_TYPE_NONE unless the service succeeds.
 *
 *   CODE FIELD NAME                  ARGUMENTS            EFFECT
 *   500  LW_SERVICE_MOVE_MEMORY      text, text, number   copy number bytes from the memory at
 *                                                         argument 1 to argument 2 (overlap
 *                                                         allowed)
 *   501  LW_SERVICE_FREE_MEMORY      -                    result number: free memory in bytes
 *                                                         (at most INT32_MAX)
 *   502  LW_SERVICE_BLOCK_SIZE       block                result number: the block's size
 *   503  LW_SERVICE_RESIZE_BLOCK     block, number        resize to number bytes (at least 1;
 *                                                         the block must be unlocked); result
 *                                                         block
 *   504  LW_SERVICE_NEW_BLOCK        number               a new zeroed block of number bytes
 *                                                         (at least 1); result block
 *   505  LW_SERVICE_FREE_BLOCK       block                free the block
 *   506  LW_SERVICE_LOCK_BLOCK       block                lock it; result text: the address of
 *                                                         its bytes, valid while it is locked
 *   507  LW_SERVICE_UNLOCK_BLOCK     block                unlock it
 *   508  LW_SERVICE_COPY_BLOCK       block                result block: a new copy of it
 *   509  LW_SERVICE_EVALUATE         text                 run the text as a message-box line
 *                                                         and replace it by the outcome
 *   510  LW_SERVICE_APPEND_TEXT      text, text           append text 1 to text 2 (cut at 255)
 *   511  LW_SERVICE_COPY_TEXT        text, text           copy text 1 into text 2
 *   512  LW_SERVICE_TEXT_TO_NUMBER   text                 result number: the decimal number at
 *                                                         its start, 0 when none
 *   513  LW_SERVICE_NUMBER_TO_TEXT   number, text         write the number in decimal into the
 *                                                         text
 *   514  LW_SERVICE_REPORT_ERROR     number, number       show the runtime's error box
 *   515  LW_SERVICE_SAVE_DIALOG      text, text           save dialog for a saved game: the
 *                                                         chosen full path into text 1, the
 *                                                         file name into text 2; result number
 *                                                         1 when chosen, else 0
 *   516  LW_SERVICE_OPEN_DIALOG      text, text           open dialog for a text file; as 515
 *
 * Blocks live until freed or until the runtime stops. Services run only inside a call of
 * PlugProc, on the thread that made it.
 */
#ifndef LOOMWORK_PLUGIN_H
#define LOOMWORK_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Request codes. */
enum {
  LW_CALL_OPEN = 0,
  LW_CALL_CLOSE = 1,
  LW_CALL_SCRIPT = 2,

  LW_SERVICE_MOVE_MEMORY = 500,
  LW_SERVICE_FREE_MEMORY = 501,
  LW_SERVICE_BLOCK_SIZE = 502,
  LW_SERVICE_RESIZE_BLOCK = 503,
  LW_SERVICE_NEW_BLOCK = 504,
  LW_SERVICE_FREE_BLOCK = 505,
  LW_SERVICE_LOCK_BLOCK = 506,
  LW_SERVICE_UNLOCK_BLOCK = 507,
  LW_SERVICE_COPY_BLOCK = 508,
  LW_SERVICE_EVALUATE = 509,
  LW_SERVICE_APPEND_TEXT = 510,
  LW_SERVICE_COPY_TEXT = 511,
  LW_SERVICE_TEXT_TO_NUMBER = 512,
  LW_SERVICE_NUMBER_TO_TEXT = 513,
  LW_SERVICE_REPORT_ERROR = 514,
  LW_SERVICE_SAVE_DIALOG = 515,
  LW_SERVICE_OPEN_DIALOG = 516
};

/* Value types. */
enum { LW_TYPE_NONE = 1000, LW_TYPE_NUMBER = 1001, LW_TYPE_TEXT = 1002, LW_TYPE_BLOCK = 1003 };

/* Result codes of the service entry. */
enum { LW_RESULT_OK = 0, LW_RESULT_MISMATCH = 109 };

/* A text is a length byte followed by its characters, in a buffer of this many bytes. */
enum { LW_TEXT_MAX_LENGTH = 255, LW_TEXT_BUFFER_SIZE = 256, LW_NAME_MAX_LENGTH = 15 };

/* A memory block that the runtime manages; plug-ins only pass the handle back. */
typedef struct LwBlockRecord* LwBlockHandle;

typedef struct LwValue {
  int16_t type;
  union {
    int32_t number;
    unsigned char* text;
    LwBlockHandle block;
  } value;
} LwValue;

typedef struct LwParameterBlock {
  int16_t code;
  LwValue arguments[4];
  LwValue result;
} LwParameterBlock;

/* The runtime's service entry, handed to every call of PlugProc. */
typedef int16_t (*LwServiceEntry)(LwParameterBlock* block);

/* The one entry point a plug-in exports, under the name "PlugProc". */
typedef int16_t (*LwPlugProc)(LwParameterBlock* block, LwServiceEntry service);

#define LW_PLUGIN_EXPORT __attribute__((visibility("default")))

LW_PLUGIN_EXPORT int16_t PlugProc(LwParameterBlock* block, LwServiceEntry service);

#ifdef __cplusplus
}
#define LW_PLUGIN_STATIC_ASSERT static_assert
#else
#define LW_PLUGIN_STATIC_ASSERT _Static_assert
#endif

LW_PLUGIN_STATIC_ASSERT(sizeof(LwValue) == 16, "value slot layout");
LW_PLUGIN_STATIC_ASSERT(offsetof(LwValue, value) == 8, "value slot layout");
LW_PLUGIN_STATIC_ASSERT(sizeof(LwParameterBlock) == 88, "parameter block layout");
LW_PLUGIN_STATIC_ASSERT(offsetof(LwParameterBlock, arguments) == 8, "parameter block layout");
LW_PLUGIN_STATIC_ASSERT(offsetof(LwParameterBlock, result) == 72, "parameter block layout");

#undef LW_PLUGIN_STATIC_ASSERT

#endif /* LOOMWORK_PLUGIN_H */
