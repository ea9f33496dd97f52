/*
 * The sample plug-in: a plug-in named "Sample" that shows the calls and services of
 * loomwork/plugin.h. Scripts call it as pluginfx("sample", OPERATION, ...):
 *
 *   OPERATION  ARGUMENTS       GIVES
 *   "add"      number, number  their sum
 *   "double"   number          twice the number
 *   "upper"    text            the text with a..z in capitals (changed in its own buffer)
 *   "greet"    text            "Hello, " text "!" (services 511 and 510)
 *   "eval"     text            the outcome of the text run as a message-box line (509)
 *   "numtext"  number          the number as a text (513)
 *   "memory"   -               the runtime's free-memory figure (501)
 *   "block"    number          makes, fills, copies and checks a block of that many bytes
 *                              (1 to 2^20; services 504, 506, 507, 508, 503, 502, 505); the
 *                              copy's size after doubling it, or -1 when a step failed
 *   "count"    -               how many times "count" was called, kept in a block that lives
 *                              from open to close
 *   "probe"    -               the service entry's answer to a free-memory request (501)
 *                              wrongly given a text argument (109)
 *   "choose"   -               the name of a text file chosen in the open dialog (516), or ""
 *   "nothing"  -               no value (for the command plugin())
 *   "fail"     number          no value, and the number as the call's error code
 *
 * An unknown operation or missing arguments give error 109.
 */
#include <loomwork/plugin.h>
#include <string.h>

static const char kName[] = "Sample";
static const char kGreeting[] = "Hello, ";
static const char kGreetingEnd[] = "!";
/* The largest block "block" works on, so that doubling it stays a small number. */
enum { kLargestExercise = 1 << 20 };

/* The text a call gives back; it must outlive the call of PlugProc. */
static unsigned char g_result[LW_TEXT_BUFFER_SIZE];
/* The block that holds the "count" counter, from open to close. */
static LwBlockHandle g_counter;

/* Copies a C string into a length-prefixed text buffer, cut at 255 characters. */
static void set_text(unsigned char* text, const char* chars) {
  size_t length = strlen(chars);
  if (length > LW_TEXT_MAX_LENGTH) length = LW_TEXT_MAX_LENGTH;
  text[0] = (unsigned char)length;
  memcpy(text + 1, chars, length);
}

/* Whether a value is the text `word`. */
static int is_text(const LwValue* value, const char* word) {
  size_t length = strlen(word);
  return value->type == LW_TYPE_TEXT && value->value.text[0] == length &&
         memcmp(value->value.text + 1, word, length) == 0;
}

/* A service request with every slot none. */
static LwParameterBlock request(int16_t code) {
  LwParameterBlock block;
  int i;
  memset(&block, 0, sizeof block);
  block.code = code;
  for (i = 0; i < 4; ++i) block.arguments[i].type = LW_TYPE_NONE;
  block.result.type = LW_TYPE_NONE;
  return block;
}

static void give_number(LwParameterBlock* block, int32_t number) {
  block->result.type = LW_TYPE_NUMBER;
  block->result.value.number = number;
}

static void give_text(LwParameterBlock* block, unsigned char* text) {
  block->result.type = LW_TYPE_TEXT;
  block->result.value.text = text;
}

/* Asks a service about one block (free, unlock, size, lock); the answer's result slot. */
static LwValue block_service(LwServiceEntry service, int16_t code, LwBlockHandle handle) {
  LwParameterBlock ask = request(code);
  ask.arguments[0].type = LW_TYPE_BLOCK;
  ask.arguments[0].value.block = handle;
  if (service(&ask) != LW_RESULT_OK) ask.result.type = LW_TYPE_NONE;
  return ask.result;
}

/* A new block of `size` bytes, or null. */
static LwBlockHandle new_block(LwServiceEntry service, int32_t size) {
  LwParameterBlock ask = request(LW_SERVICE_NEW_BLOCK);
  ask.arguments[0].type = LW_TYPE_NUMBER;
  ask.arguments[0].value.number = size;
  if (service(&ask) != LW_RESULT_OK || ask.result.type != LW_TYPE_BLOCK) return NULL;
  return ask.result.value.block;
}

/* A request for a service that takes two texts. */
static LwParameterBlock text_request(int16_t code, unsigned char* first, unsigned char* second) {
  LwParameterBlock ask = request(code);
  ask.arguments[0].type = LW_TYPE_TEXT;
  ask.arguments[0].value.text = first;
  ask.arguments[1].type = LW_TYPE_TEXT;
  ask.arguments[1].value.text = second;
  return ask;
}

/* Runs one text service with two texts (append, copy). */
static int16_t text_service(LwServiceEntry service, int16_t code, unsigned char* from,
                            unsigned char* to) {
  LwParameterBlock ask = text_request(code, from, to);
  return service(&ask);
}

/* Fills a block with the bytes 0, 1, 2, ... through its locked address; whether it could. */
static int fill_block(LwServiceEntry service, LwBlockHandle handle, int32_t size) {
  LwValue address = block_service(service, LW_SERVICE_LOCK_BLOCK, handle);
  int32_t i;
  if (address.type != LW_TYPE_TEXT) return 0;
  for (i = 0; i < size; ++i) address.value.text[i] = (unsigned char)i;
  block_service(service, LW_SERVICE_UNLOCK_BLOCK, handle);
  return 1;
}

/* Whether a block holds what fill_block writes, judged by its last byte. */
static int check_block(LwServiceEntry service, LwBlockHandle handle, int32_t size) {
  LwValue address = block_service(service, LW_SERVICE_LOCK_BLOCK, handle);
  int good =
      address.type == LW_TYPE_TEXT && address.value.text[size - 1] == (unsigned char)(size - 1);
  block_service(service, LW_SERVICE_UNLOCK_BLOCK, handle);
  return good;
}

/* A new copy of a block, or null. */
static LwBlockHandle copy_block(LwServiceEntry service, LwBlockHandle handle) {
  LwValue copy = block_service(service, LW_SERVICE_COPY_BLOCK, handle);
  return copy.type == LW_TYPE_BLOCK ? copy.value.block : NULL;
}

/* Resizes a block; its new size as the runtime reports it, or -1. */
static int32_t resize_block(LwServiceEntry service, LwBlockHandle handle, int32_t size) {
  LwParameterBlock ask = request(LW_SERVICE_RESIZE_BLOCK);
  LwValue reported;
  ask.arguments[0].type = LW_TYPE_BLOCK;
  ask.arguments[0].value.block = handle;
  ask.arguments[1].type = LW_TYPE_NUMBER;
  ask.arguments[1].value.number = size;
  if (service(&ask) != LW_RESULT_OK) return -1;
  reported = block_service(service, LW_SERVICE_BLOCK_SIZE, handle);
  return reported.type == LW_TYPE_NUMBER ? reported.value.number : -1;
}

/* "block": a block of `size` bytes filled, copied, checked and the copy doubled; the copy's
 * final size, or -1 when a step failed. Both blocks are freed again. */
static int32_t exercise_blocks(LwServiceEntry service, int32_t size) {
  LwBlockHandle block;
  LwBlockHandle copy = NULL;
  int32_t result = -1;
  if (size < 1 || size > kLargestExercise) return -1;
  block = new_block(service, size);
  if (block == NULL) return -1;
  if (fill_block(service, block, size)) copy = copy_block(service, block);
  if (copy != NULL) {
    if (check_block(service, copy, size)) result = resize_block(service, copy, size * 2);
    block_service(service, LW_SERVICE_FREE_BLOCK, copy);
  }
  block_service(service, LW_SERVICE_FREE_BLOCK, block);
  return result;
}

/* "count": the counter in its block, one more than last time. */
static int32_t next_count(LwServiceEntry service) {
  LwValue address = block_service(service, LW_SERVICE_LOCK_BLOCK, g_counter);
  int32_t count;
  if (address.type != LW_TYPE_TEXT) return -1;
  memcpy(&count, address.value.text, sizeof count);
  ++count;
  memcpy(address.value.text, &count, sizeof count);
  block_service(service, LW_SERVICE_UNLOCK_BLOCK, g_counter);
  return count;
}

/* "greet": the greeting built with the copy and append services. */
static int16_t greet(LwParameterBlock* block, LwServiceEntry service) {
  unsigned char part[LW_TEXT_BUFFER_SIZE];
  int16_t code;
  set_text(part, kGreeting);
  code = text_service(service, LW_SERVICE_COPY_TEXT, part, g_result);
  if (code == LW_RESULT_OK) {
    code = text_service(service, LW_SERVICE_APPEND_TEXT, block->arguments[1].value.text, g_result);
  }
  set_text(part, kGreetingEnd);
  if (code == LW_RESULT_OK) code = text_service(service, LW_SERVICE_APPEND_TEXT, part, g_result);
  if (code == LW_RESULT_OK) give_text(block, g_result);
  return code;
}

/* "eval": the text argument, replaced by its outcome, given back. */
static int16_t evaluate(LwParameterBlock* block, LwServiceEntry service) {
  LwParameterBlock ask = request(LW_SERVICE_EVALUATE);
  int16_t code;
  ask.arguments[0] = block->arguments[1];
  code = service(&ask);
  if (code == LW_RESULT_OK) give_text(block, block->arguments[1].value.text);
  return code;
}

/* "numtext": the number written by the runtime. */
static int16_t number_text(LwParameterBlock* block, LwServiceEntry service) {
  LwParameterBlock ask = request(LW_SERVICE_NUMBER_TO_TEXT);
  int16_t code;
  ask.arguments[0] = block->arguments[1];
  ask.arguments[1].type = LW_TYPE_TEXT;
  ask.arguments[1].value.text = g_result;
  code = service(&ask);
  if (code == LW_RESULT_OK) give_text(block, g_result);
  return code;
}

/* A service request that takes no arguments; its answer and result slot. */
static int16_t plain_service(LwServiceEntry service, int16_t code, LwValue* result) {
  LwParameterBlock ask = request(code);
  int16_t answer = service(&ask);
  *result = ask.result;
  return answer;
}

/* "probe": the free-memory request with a text where none belongs. */
static int32_t probe(LwServiceEntry service) {
  LwParameterBlock ask = request(LW_SERVICE_FREE_MEMORY);
  set_text(g_result, "unexpected");
  ask.arguments[0].type = LW_TYPE_TEXT;
  ask.arguments[0].value.text = g_result;
  return service(&ask);
}

/* "choose": the open dialog of text files; the chosen file's name or "". */
static int16_t choose(LwParameterBlock* block, LwServiceEntry service) {
  unsigned char path[LW_TEXT_BUFFER_SIZE];
  LwParameterBlock ask = text_request(LW_SERVICE_OPEN_DIALOG, path, g_result);
  int16_t code = service(&ask);
  if (code != LW_RESULT_OK) return code;
  if (ask.result.type != LW_TYPE_NUMBER || ask.result.value.number != 1) set_text(g_result, "");
  give_text(block, g_result);
  return LW_RESULT_OK;
}

/* A call from a script: the operation named by argument 1. */
static int16_t script_call(LwParameterBlock* block, LwServiceEntry service) {
  LwValue* a = block->arguments;
  LwValue free_memory;
  if (is_text(&a[0], "add") && a[1].type == LW_TYPE_NUMBER && a[2].type == LW_TYPE_NUMBER) {
    give_number(block, a[1].value.number + a[2].value.number);
  } else if (is_text(&a[0], "double") && a[1].type == LW_TYPE_NUMBER) {
    give_number(block, a[1].value.number * 2);
  } else if (is_text(&a[0], "upper") && a[1].type == LW_TYPE_TEXT) {
    unsigned char* text = a[1].value.text;
    int i;
    for (i = 1; i <= text[0]; ++i) {
      if (text[i] >= 'a' && text[i] <= 'z') text[i] = (unsigned char)(text[i] - 'a' + 'A');
    }
    give_text(block, text);
  } else if (is_text(&a[0], "greet") && a[1].type == LW_TYPE_TEXT) {
    return greet(block, service);
  } else if (is_text(&a[0], "eval") && a[1].type == LW_TYPE_TEXT) {
    return evaluate(block, service);
  } else if (is_text(&a[0], "numtext") && a[1].type == LW_TYPE_NUMBER) {
    return number_text(block, service);
  } else if (is_text(&a[0], "memory")) {
    int16_t code = plain_service(service, LW_SERVICE_FREE_MEMORY, &free_memory);
    if (code == LW_RESULT_OK) block->result = free_memory;
    return code;
  } else if (is_text(&a[0], "block") && a[1].type == LW_TYPE_NUMBER) {
    give_number(block, exercise_blocks(service, a[1].value.number));
  } else if (is_text(&a[0], "count")) {
    give_number(block, next_count(service));
  } else if (is_text(&a[0], "probe")) {
    give_number(block, probe(service));
  } else if (is_text(&a[0], "choose")) {
    return choose(block, service);
  } else if (is_text(&a[0], "nothing")) {
    /* no value */
  } else if (is_text(&a[0], "fail") && a[1].type == LW_TYPE_NUMBER) {
    return (int16_t)a[1].value.number;
  } else {
    return LW_RESULT_MISMATCH;
  }
  return LW_RESULT_OK;
}

int16_t PlugProc(LwParameterBlock* block, LwServiceEntry service) {
  switch (block->code) {
    case LW_CALL_OPEN:
      g_counter = new_block(service, (int32_t)sizeof(int32_t));
      set_text(g_result, kName);
      give_text(block, g_result);
      return g_counter != NULL ? LW_RESULT_OK : LW_RESULT_MISMATCH;
    case LW_CALL_CLOSE:
      block_service(service, LW_SERVICE_FREE_BLOCK, g_counter);
      g_counter = NULL;
      return LW_RESULT_OK;
    case LW_CALL_SCRIPT: return script_call(block, service);
    default: return LW_RESULT_MISMATCH;
  }
}
