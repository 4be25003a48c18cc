; Relicade Master System and Game Gear test game (one program; fix_header.py writes the header
; whose region code says which console it is for): a plain screen, a row of eight boxes showing how
; often the game was started (kept in the Sega mapper's cartridge RAM) and a square the pad moves.
; Everything lies inside the Game Gear's 160x144 window (pixels 48-207, lines 24-167). On the Game
; Gear, holding Start turns the square green. Assembled with sdasz80.
        .module relicade_sms
        .area   GAME (ABS)

VDP_DATA   = 0xBE
VDP_CTRL   = 0xBF
PAD        = 0xDC
GG_START   = 0x00           ; Game Gear only: bit 7 clear while Start is held
MAPPER_RAM = 0xFFFC         ; bit 3 puts the cartridge RAM at 0x8000
SAVE       = 0x8000         ; cartridge RAM: "RLCD" then the start counter
REGION     = 0x7FFF         ; the header's region code in the high four bits: 5 to 7 for Game Gear
SPRITE_Y   = 0xC000         ; where the square is, in screen pixels
SPRITE_X   = 0xC001
GAME_GEAR  = 0xC002         ; 1 on a Game Gear
COUNT      = 0xC003
BOX_CELL   = 0x3800 + (6 * 32 + 10) * 2     ; name table cell of the first box: pixel 80, 48
SPRITES    = 0x3F00

        .org    0x0000
        di
        im      1
        ld      sp, #0xDFF0
        jp      start

        .org    0x0066
        retn                ; the Master System's pause button is not used

        .org    0x0100
signature:
        .ascii  "RLCD"
; VDP registers 0 to 10: mode 4, display off, name table 0x3800, sprites 0x3F00 with their tiles
; from 0x0000, border in sprite colour 0, no scrolling, no line interrupt.
vdp_setup:
        .db     0x04, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB, 0x00, 0x00, 0x00, 0xFF
vdp_setup_end:
; Master System colours (--BBGGRR): background and sprite colour 0 blue, then the boxes dark grey
; and white, the square red (green while Start is held).
sms_colours:
        .db     0x30, 0x15, 0x3F, 0x00
        .db     0x30, 0x03, 0x0C, 0x00
; Game Gear colours (----BBBB GGGGRRRR, low byte first), shades the Master System cannot show.
gg_colours:
        .dw     0x0A50, 0x0555, 0x0FFF, 0x0000
        .dw     0x0A50, 0x005F, 0x00F0, 0x0000
; Tiles 1 and 2 solid in colours 1 and 2 (four bit planes a row); the background shows them in
; its colours, the square in the sprites'.
tiles:
        .db     0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00
        .db     0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00, 0xFF,0x00,0x00,0x00
        .db     0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00
        .db     0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00, 0x00,0xFF,0x00,0x00
tiles_end:

start:
        ld      hl, #vdp_setup
        ld      b, #(vdp_setup_end - vdp_setup)
        ld      c, #0x80
set_registers:
        ld      a, (hl)
        out     (VDP_CTRL), a
        ld      a, c
        out     (VDP_CTRL), a
        inc     hl
        inc     c
        djnz    set_registers

        ; All video memory to zero: blank tile 0 everywhere.
        ld      hl, #0x0000
        call    vram_address
        ld      bc, #0x4000
clear_vram:
        xor     a
        out     (VDP_DATA), a
        dec     bc
        ld      a, b
        or      c
        jr      nz, clear_vram

        ; The colours of the console the header names.
        xor     a
        ld      (GAME_GEAR), a
        out     (VDP_CTRL), a
        ld      a, #0xC0
        out     (VDP_CTRL), a
        ld      hl, #sms_colours
        ld      b, #4
        ld      a, (REGION)
        and     #0xF0
        cp      #0x50
        jr      c, colours
        ld      a, #1
        ld      (GAME_GEAR), a
        ld      hl, #gg_colours
        ld      b, #8
colours:
        call    copy_colours
        ld      hl, #16     ; sprite colours start at entry 16
        ld      a, (GAME_GEAR)
        or      a
        jr      z, sprite_colours
        add     hl, hl
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, #0xC0
        out     (VDP_CTRL), a
        ld      hl, #gg_colours + 8
        ld      b, #8
        jr      copy_sprite_colours
sprite_colours:
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, #0xC0
        out     (VDP_CTRL), a
        ld      hl, #sms_colours + 4
        ld      b, #4
copy_sprite_colours:
        call    copy_colours

        ; Tiles 1 and 2 from 0x0020.
        ld      hl, #0x0020
        call    vram_address
        ld      hl, #tiles
        ld      bc, #(tiles_end - tiles)
copy_tiles:
        ld      a, (hl)
        out     (VDP_DATA), a
        inc     hl
        dec     bc
        ld      a, b
        or      c
        jr      nz, copy_tiles

        ; The start counter: one more than the cartridge RAM holds when it holds our record.
        ld      a, #0x08
        ld      (MAPPER_RAM), a
        ld      hl, #signature
        ld      de, #SAVE
        ld      b, #4
        ld      c, #0
check_signature:
        ld      a, (de)
        cp      (hl)
        jr      nz, fresh
        inc     hl
        inc     de
        djnz    check_signature
        ld      a, (de)
        ld      c, a
fresh:
        inc     c
        ld      a, c
        ld      (COUNT), a
        ld      hl, #signature
        ld      de, #SAVE
        ld      bc, #4
        ldir
        ld      a, (COUNT)
        ld      (de), a

        ; Eight boxes, highest bit first: white (tile 2) for a set bit, grey (tile 1) otherwise.
        ld      hl, #BOX_CELL
        call    vram_address
        ld      a, (COUNT)
        ld      c, a
        ld      b, #8
boxes:
        ld      a, #1
        sla     c
        jr      nc, clear_bit
        ld      a, #2
clear_bit:
        out     (VDP_DATA), a
        xor     a
        out     (VDP_DATA), a
        djnz    boxes

        ld      a, #100
        ld      (SPRITE_Y), a
        ld      a, #108
        ld      (SPRITE_X), a
        ld      b, #1
        call    put_sprite
        ld      a, #0xC0    ; display on
        out     (VDP_CTRL), a
        ld      a, #0x81
        out     (VDP_CTRL), a

frame:
        ; Once a frame: the frame flag is set when the vertical blank begins and cleared when read.
        in      a, (VDP_CTRL)
        and     #0x80
        jr      z, frame
        in      a, (PAD)    ; a pressed button reads 0
        ld      c, a
        ld      hl, #SPRITE_Y
        bit     0, c
        jr      nz, not_up
        dec     (hl)
not_up:
        bit     1, c
        jr      nz, not_down
        inc     (hl)
not_down:
        ld      hl, #SPRITE_X
        bit     2, c
        jr      nz, not_left
        dec     (hl)
not_left:
        bit     3, c
        jr      nz, not_right
        inc     (hl)
not_right:
        ld      b, #1       ; the red square
        ld      a, (GAME_GEAR)
        or      a
        jr      z, no_start
        in      a, (GG_START)
        bit     7, a
        jr      nz, no_start
        ld      b, #2       ; green while Start is held
no_start:
        call    put_sprite
        jr      frame

; Sprite 0 as tile B where SPRITE_X and SPRITE_Y say (a sprite shows one line below its Y), and the
; end of the sprite list after it.
put_sprite:
        ld      hl, #SPRITES
        call    vram_address
        ld      a, (SPRITE_Y)
        dec     a
        out     (VDP_DATA), a
        ld      a, #0xD0
        out     (VDP_DATA), a
        ld      hl, #SPRITES + 0x80
        call    vram_address
        ld      a, (SPRITE_X)
        out     (VDP_DATA), a
        ld      a, b
        out     (VDP_DATA), a
        ret

; Points the data port at video memory address HL for writing.
vram_address:
        ld      a, l
        out     (VDP_CTRL), a
        ld      a, h
        or      #0x40
        out     (VDP_CTRL), a
        ret

; B bytes from HL to the data port.
copy_colours:
        ld      a, (hl)
        out     (VDP_DATA), a
        inc     hl
        djnz    copy_colours
        ret
