| Relicade Genesis test game: a blue screen, a row of eight boxes showing how often the game was
| started (kept in the cartridge's battery memory) and a red square the pad moves. Assembled with
| binutils for the 68000; genesis.ld lays it out from address 0.
        .text
        .globl  _start
VDP_DATA    = 0xC00000
VDP_CTRL    = 0xC00004
PAD1_DATA   = 0xA10003
PAD1_CTRL   = 0xA10009
VERSION     = 0xA10001
TMSS        = 0xA14000
SRAM_SWITCH = 0xA130F1
SAVE        = 0x200001          | battery memory on the odd bytes: "RLCD" then the counter
SPRITE_Y    = 0xFF0000          | where the square is, in screen pixels (words)
SPRITE_X    = 0xFF0002
BOX_CELL    = 0xC000 + (4 * 64 + 16) * 2   | plane A cell of the first box: pixel 128, 32
SPRITES     = 0xD800

| Control port words that point the data port at a video memory, colour memory or scroll memory
| address for writing.
.macro  vram_write addr
        move.l  #(0x40000000 + (((\addr) & 0x3FFF) << 16) + ((\addr) >> 14)), (a1)
.endm

vectors:
        .long   0x00FFFE00, _start
        .rept   62
        .long   idle
        .endr

        | The cartridge header the console and the emulators read (no logo, no licence code).
        .ascii  "SEGA MEGA DRIVE "
        .ascii  "(C)RLCD 2026.DEC"
        .ascii  "RELICADE TEST GAME                              "
        .ascii  "RELICADE TEST GAME                              "
        .ascii  "GM 00000000-00"
        .word   0
        .ascii  "J               "
        .long   0, rom_end - 1
        .long   0xFF0000, 0xFFFFFF
        | 32 KiB of battery-backed memory on the odd bytes from 0x200001.
        .ascii  "RA"
        .byte   0xF8, 0x20
        .long   0x200001, 0x20FFFF
        .ascii  "            "
        .ascii  "                                        "
        .ascii  "JUE             "

signature:
        .ascii  "RLCD"
| VDP registers: mode 5, display off while setting up, plane A at 0xC000, window 0xF000, plane B
| 0xE000, sprites 0xD800, backdrop colour 0, 320 pixels wide, scroll table 0xFC00, step 2, 64x32
| planes.
vdp_setup:
        .word   0x8004, 0x8104, 0x8230, 0x833C, 0x8407, 0x856C, 0x8700, 0x8AFF
        .word   0x8B00, 0x8C81, 0x8D3F, 0x8F02, 0x9001, 0x9100, 0x9200
vdp_setup_end:
| Colours (blue, green, red, three bits each): blue, dark grey, white, red.
colours:
        .word   0x0E00, 0x0444, 0x0EEE, 0x000E

idle:
        rte

_start:
        move.w  #0x2700, sr             | no interrupts: the loop polls the video chip
        lea     0xFFFE00, sp
        move.b  VERSION, d0             | later consoles lock the video chip until "SEGA" is written
        andi.b  #0x0F, d0
        beq.s   no_tmss
        move.l  #0x53454741, TMSS
no_tmss:
        lea     VDP_DATA, a0
        lea     VDP_CTRL, a1
        move.w  (a1), d0                | clears a half-written control word
        lea     vdp_setup, a2
        moveq   #(vdp_setup_end - vdp_setup) / 2 - 1, d1
set_registers:
        move.w  (a2)+, (a1)
        dbra    d1, set_registers

        | All video memory to zero: blank tile 0 everywhere, scroll 0, an empty sprite table.
        vram_write 0
        move.w  #0x7FFF, d1
clear_vram:
        move.w  #0, (a0)
        dbra    d1, clear_vram
        move.l  #0x40000010, (a1)       | vertical scroll memory
        moveq   #39, d1
clear_vsram:
        move.w  #0, (a0)
        dbra    d1, clear_vsram
        move.l  #0xC0000000, (a1)       | colour memory
        lea     colours, a2
        moveq   #3, d1
set_colours:
        move.w  (a2)+, (a0)
        dbra    d1, set_colours

        | Tiles 1, 2 and 3 solid in colours 1, 2 and 3.
        vram_write 32
        move.l  #0x11111111, d0
        moveq   #2, d2
tiles:
        moveq   #7, d1
tile_rows:
        move.l  d0, (a0)
        dbra    d1, tile_rows
        addi.l  #0x11111111, d0
        dbra    d2, tiles

        | The start counter: one more than the battery memory holds when it holds our record.
        move.b  #1, SRAM_SWITCH
        lea     SAVE, a3
        lea     signature, a2
        moveq   #3, d1
        moveq   #0, d3
check_signature:
        move.b  (a2)+, d0
        cmp.b   (a3), d0
        bne.s   fresh
        addq.l  #2, a3
        dbra    d1, check_signature
        move.b  (a3), d3
fresh:
        addq.b  #1, d3
        lea     SAVE, a3
        lea     signature, a2
        moveq   #3, d1
write_signature:
        move.b  (a2)+, (a3)
        addq.l  #2, a3
        dbra    d1, write_signature
        move.b  d3, (a3)

        | Eight boxes, highest bit first: white for a set bit, grey for a clear one.
        vram_write BOX_CELL
        moveq   #7, d1
boxes:
        moveq   #1, d0
        lsl.b   #1, d3
        bcc.s   clear_bit
        moveq   #2, d0
clear_bit:
        move.w  d0, (a0)
        dbra    d1, boxes

        move.w  #108, SPRITE_Y
        move.w  #156, SPRITE_X
        move.b  #0x40, PAD1_CTRL        | the pad's select line is ours to drive
        move.b  #0x40, PAD1_DATA        | high: up, down, left, right, B, C
        bsr.s   put_sprite
        move.w  #0x8144, (a1)           | display on

frame:
        | Once a frame, at the start of the vertical blank.
wait_active:
        move.w  (a1), d0
        btst    #3, d0
        bne.s   wait_active
wait_blank:
        move.w  (a1), d0
        btst    #3, d0
        beq.s   wait_blank
        move.b  PAD1_DATA, d0           | a pressed button reads 0
        btst    #0, d0
        bne.s   not_up
        subq.w  #1, SPRITE_Y
not_up:
        btst    #1, d0
        bne.s   not_down
        addq.w  #1, SPRITE_Y
not_down:
        btst    #2, d0
        bne.s   not_left
        subq.w  #1, SPRITE_X
not_left:
        btst    #3, d0
        bne.s   not_right
        addq.w  #1, SPRITE_X
not_right:
        bsr.s   put_sprite
        bra.s   frame

| Sprite 0: one cell of tile 3 where SPRITE_X and SPRITE_Y say (the table counts from 128).
put_sprite:
        vram_write SPRITES
        move.w  SPRITE_Y, d0
        addi.w  #128, d0
        move.w  d0, (a0)
        move.w  #0, (a0)                | one cell, no link
        move.w  #3, (a0)
        move.w  SPRITE_X, d0
        addi.w  #128, d0
        move.w  d0, (a0)
        rts

        .balign 0x10000, 0xFF
rom_end:
