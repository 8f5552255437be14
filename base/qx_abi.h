/* The binary contract between program code and the core runtime (C-compatible).
 *
 * Program code reaches the runtime only through the service table below and
 * the numbered commands called with argument records. Every layout here is
 * fixed; the static assertions at the end guard it.
 *
 * Addresses on this 64-bit build: where the contract stores a 32-bit address
 * in a word pair (an argument's low and high half, a relocated operand), the
 * address fills both halves, low half first.
 */
#ifndef QUADRIX_RUNTIME_ABI_QX_ABI_H
#define QUADRIX_RUNTIME_ABI_QX_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Value type codes ------------------------------------------------- */

#define QX_TYPE_OMITTED 0x00000000u /* value 0, 0 */
#define QX_TYPE_LOGICAL 0x80000002u /* 0 false, non-zero true */
#define QX_TYPE_TEXT 0x80000004u    /* zero-terminated GBK; null = "" */
#define QX_TYPE_INTEGER 0x80000301u /* signed 32-bit */
#define QX_TYPE_DOUBLE 0x80000601u  /* IEEE 754 double, both halves */

/* ---- Unit type codes: library number << 16 | kind --------------------- */

#define QX_UNIT_WINDOW 0x00010001u
#define QX_UNIT_MENU_ITEM 0x00010003u
#define QX_UNIT_EDIT_BOX 0x00010005u
#define QX_UNIT_LABEL 0x0001000Au
#define QX_UNIT_BUTTON 0x0001000Bu
#define QX_UNIT_CHECK_BOX 0x0001000Cu
#define QX_UNIT_COMBO_BOX 0x0001000Eu
#define QX_UNIT_TAB_CONTROL 0x00010015u
#define QX_UNIT_HYPERLINK_BOX 0x0001001Du
#define QX_UNIT_HYPERTEXT_VIEW 0x00020001u

/* ---- Identifiers ------------------------------------------------------ */

#define QX_MAIN_WINDOW 0x52010001u       /* as handlers and services name it */
#define QX_WINDOW_RECORD_ID 0x06010000u  /* the window's own form record */
#define QX_CONTROL_ID_BASE 0x16010000u   /* controls: 0x1601nnnn */
#define QX_MENU_ITEM_ID_BASE 0x26010000u /* menu items: 0x2601nnnn */

/* ---- Properties ------------------------------------------------------- */

#define QX_PROP_VISIBLE 5  /* logical; read: own flag and page on show */
#define QX_PROP_DISABLED 6 /* logical */
#define QX_PROP_TEXT 8     /* text; read returns a fresh block */
#define QX_PROP_SELECTION                                                      \
  0x13                        /* integer: current item index of a combo box    \
                               */
#define QX_ELEMENT_WHOLE (-1) /* the only element index in use */

/* ---- Events ----------------------------------------------------------- */

#define QX_EVENT_KIND_FIRST 0 /* a button's click, the window's "created" */
#define QX_EVENT_CLICK (-1)   /* click of a label or hyperlink box */

/* ---- Argument records ---------------------------------------------------
 * A record is a 32-bit count followed by count triples of 32-bit words:
 * value low half, value high half, type code. An omitted argument is three
 * zero words and still counts. A record of n arguments is 4 + 12n bytes.
 * Program code builds it as an array of uint32_t.
 */
typedef struct QxArgument {
  uint32_t low;
  uint32_t high;
  uint32_t type;
} QxArgument;

#define QX_MAX_COMMAND_ARGUMENTS 8u
#define QX_RECORD_WORDS(n) (1u + 3u * (n))

/* ---- Arrays ---------------------------------------------------------------
 * An array block is a 32-bit dimension count, one 32-bit size per dimension,
 * then the elements. Integer elements are 4 bytes; elements that hold an
 * address (texts, structures) are pointer-sized on this build (8 bytes), and
 * since the header may leave them unaligned they are read and written with
 * memcpy. An empty one-dimensional array is the header {1, 0}.
 */
#define QX_INTEGER_ELEMENT_SIZE 4u
#define QX_ADDRESS_ELEMENT_SIZE ((uint32_t)sizeof(void *))

/* ---- Command numbers (call_command) ------------------------------------ */

enum QxCommand {
  QX_CMD_INTEGER_DIVIDE = 0x44,
  QX_CMD_REMAINDER = 0x48,
  QX_CMD_SIGN_OF = 0x58,
  QX_CMD_ABSOLUTE_VALUE = 0x5C,
  QX_CMD_ROUND_NUMBER = 0x68,
  QX_CMD_POWER = 0x6C,
  QX_CMD_SQUARE_ROOT = 0x70,
  QX_CMD_SET_RANDOM_SEED = 0x90,
  QX_CMD_RANDOM_INTEGER = 0x94,
  QX_CMD_GET_ENVIRONMENT_VARIABLE = 0x10C,
  QX_CMD_TEXT_LENGTH = 0x130,
  QX_CMD_LEFT_TEXT = 0x134,
  QX_CMD_RIGHT_TEXT = 0x138,
  QX_CMD_FIND_TEXT = 0x148,
  QX_CMD_TEXT_TO_NUMBER = 0x164,
  QX_CMD_TO_TEXT = 0x168,
  QX_CMD_REMOVE_BLANKS = 0x178,
  QX_CMD_REPEAT_TEXT = 0x188,
  QX_CMD_SPLIT_TEXT = 0x190,
  QX_CMD_RUN_PROGRAM = 0x2C0,
  QX_CMD_MESSAGE_BOX = 0x300,
  QX_CMD_GET_ITEM_VALUE = 0x3B4,
  QX_CMD_TO_INTEGER = 0x9DC
};

/* message_box flags used by the program: information icon, OK button. */
#define QX_MB_INFORMATION 0x40

/* ---- Runtime error codes (raise_runtime_error) ------------------------- */

#define QX_ERROR_INDEX_PAST_END 1  /* array index beyond the last element */
#define QX_ERROR_INDEX_BELOW_ONE 4 /* array index below 1 */

/* ---- runtime_utility sub-functions -------------------------------------- */

#define QX_UTILITY_PREPARE_ARRAY                                               \
  2 /* (element width 4, address of array var)                                 \
     */
#define QX_UTILITY_REGISTER_ROUTINE 3 /* (address of an image routine, 0) */

/* ---- Service table ------------------------------------------------------
 * Filled by the runtime; program code receives its address through the
 * image's link block (below). The table is append-only: a slot is never
 * removed or moved, a retired slot stays null. `size` is the byte size the
 * runtime filled and `version` counts additions; the program refuses a table
 * smaller than the one it was built against (see qx_bind_program).
 *
 * Ownership: every text, array and record returned by call_command or
 * read_property is a fresh block owned by the caller, who frees it with
 * `free`. Values passed in stay the caller's; the runtime copies what it
 * keeps.
 *
 * The slot comments give each service's slot offset in the original 32-bit
 * table (slot offset / 4 = position after the two header words).
 */
#define QX_SERVICE_TABLE_VERSION 2u

typedef struct QxServiceTable {
  uint32_t size;
  uint32_t version;

  /* 0x00: reports the error and ends the program; never returns. */
  void (*raise_runtime_error)(int32_t code);
  /* 0x04, 0x08: not used by this program. */
  void (*reserved_04)(void);
  void (*reserved_08)(void);
  /* 0x0C: runs command `number` on `record`; 32-bit results in the low
   * half, doubles as their 64 bits, addresses as 64 bits. A wrong number,
   * argument count or kind is a runtime error. */
  uint64_t (*call_command)(uint32_t number, const uint32_t *record);
  /* 0x10: a property value as call_command returns it; text is a fresh
   * block owned by the caller (null for the empty text). */
  uint64_t (*read_property)(uint32_t window, uint32_t control, int32_t property,
                            int32_t element);
  /* 0x14: value in two halves; a text is copied; null text means "". */
  void (*write_property)(uint32_t window, uint32_t control, int32_t property,
                         int32_t element, uint32_t low, uint32_t high);
  /* 0x18, 0x1C, 0x20: blocks; allocate and reallocate never fail back. */
  void *(*allocate)(uint32_t size);
  void *(*reallocate)(void *block, uint32_t size);
  void (*free)(void *block);
  /* 0x24: ends the program with `code`; never returns. */
  void (*end_program)(int32_t code);
  /* 0x28: runs the message loop; returns when the loop ends. */
  void (*message_loop)(int32_t unused);
  /* 0x2C: builds and shows the window described in the form section. */
  void (*load_window)(uint32_t window);
  /* 0x30: sub-function with up to two arguments (see QX_UTILITY_*). */
  void (*runtime_utility)(int32_t subfunction, uint64_t first, uint64_t second);

  /* ---- Version 2 ---- */
  /* Shows a document in a hypertext view: `size` bytes at `bytes` in the
   * document byte form (document/document_codec.h), copied. A document
   * without paragraphs brings back the view's own page. A control that is
   * not a hypertext view, or bytes that are not a well-formed document, are
   * a runtime error. */
  void (*show_document)(uint32_t window, uint32_t control, const uint8_t *bytes,
                        uint32_t size);
} QxServiceTable;

/* The size of the table at version 1, before show_document. */
#define QX_SERVICE_TABLE_V1_SIZE (8u + 13u * (uint32_t)sizeof(void *))

/* ---- Code section: the routine directory --------------------------------
 * On this build the image's `code` section does not hold machine code but a
 * directory of the program's routines, which the runtime resolves by name to
 * functions the program exports through the dynamic linker. A routine's
 * "code offset" (form event bindings, menu handlers, the header's entry
 * offset minus the code data offset) is the offset of its directory entry
 * within the code data.
 *
 *   QxCodeHeader                       at 0
 *   QxRoutineEntry[routine_count]      at sizeof(QxCodeHeader)
 *   QxLinkBlock                        at link_offset (8-byte aligned)
 *   names: zero-terminated ASCII       at names_offset, names_size bytes
 *
 * Relocations of the code section patch the 64-bit operands of the link
 * block in place: kind 0 adds the service table's address, kind 1 the const
 * data's address, kind 3 the code data's address.
 */
#define QX_CODE_MAGIC "QXCD"
#define QX_CODE_VERSION 1u

typedef struct QxCodeHeader {
  char magic[4];
  uint32_t version;
  uint32_t routine_count;
  uint32_t link_offset;
  uint32_t names_offset;
  uint32_t names_size;
} QxCodeHeader;

enum QxRoutineKind {
  QX_ROUTINE_BINDER = 1,     /* int32_t f(const QxLinkBlock *) */
  QX_ROUTINE_ENTRY = 2,      /* void f(void): the entry routine */
  QX_ROUTINE_INIT = 3,       /* void f(void): initialisation routine */
  QX_ROUTINE_REGISTERED = 4, /* void f(void): passed to runtime_utility 3 */
  QX_ROUTINE_SUBROUTINE = 5, /* int32_t f(void): the start-up subroutine */
  QX_ROUTINE_HANDLER = 6     /* void f(void) or void f(int32_t x3) */
};

typedef struct QxRoutineEntry {
  uint32_t kind;        /* enum QxRoutineKind */
  uint32_t name_offset; /* from names_offset */
  uint32_t arg_words;   /* 0, or 3 for event -1 handlers */
  uint32_t reserved;    /* 0 */
} QxRoutineEntry;

typedef struct QxLinkBlock {
  uint64_t service_table; /* relocation kind 0, operand 0 */
  uint64_t const_data;    /* relocation kind 1, operand 0 */
  uint64_t
      registered_routine; /* relocation kind 3, operand: its entry's offset */
  uint32_t const_size;    /* bytes of const data */
  uint32_t reserved;      /* 0 */
} QxLinkBlock;

enum QxRelocationKind {
  QX_RELOC_SERVICE_TABLE = 0,
  QX_RELOC_CONST = 1,
  QX_RELOC_CODE = 3
};

/* Native signatures of the directory's routines. */
typedef int32_t (*QxBinderFn)(const QxLinkBlock *link);
typedef void (*QxRoutineFn)(void);
typedef int32_t (*QxSubroutineFn)(void);
typedef void (*QxClickHandlerFn)(int32_t, int32_t, int32_t);

/* The binder accepts the table (1) or refuses it (0). */
#define QX_BIND_ACCEPTED 1
#define QX_BIND_REFUSED 0

/* ---- Runtime library exports ------------------------------------------- */

#define QX_GET_NEW_SOCK_NAME "GetNewSock"
#define QX_GET_NEW_SOCK_START 1000
/* The start routine: takes the address of the program image. */
typedef void (*QxStartFn)(void *image);
/* GetNewSock(1000) returns the start routine, anything else 0. */
typedef QxStartFn (*QxGetNewSockFn)(int32_t selector);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(QxArgument) == 12);
static_assert(sizeof(uint32_t) * QX_RECORD_WORDS(3) == 40);
static_assert(sizeof(QxCodeHeader) == 24);
static_assert(sizeof(QxRoutineEntry) == 16);
static_assert(sizeof(QxLinkBlock) == 32);
static_assert(sizeof(QxServiceTable) == 8 + 14 * sizeof(void *));
static_assert(offsetof(QxServiceTable, show_document) ==
              QX_SERVICE_TABLE_V1_SIZE);
#else
_Static_assert(sizeof(QxArgument) == 12, "argument triple");
_Static_assert(sizeof(QxCodeHeader) == 24, "code header");
_Static_assert(sizeof(QxRoutineEntry) == 16, "routine entry");
_Static_assert(sizeof(QxLinkBlock) == 32, "link block");
#endif

#endif /* QUADRIX_RUNTIME_ABI_QX_ABI_H */
