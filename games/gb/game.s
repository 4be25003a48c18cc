; Relicade Gameboy test game (the Gameboy Color build is the same source with the colour flag set):
; a plain screen, a row of eight boxes showing how often the game was started (kept in battery
; memory) and a square the pad moves. Assembled with sdasgb; fix_header.py completes the header.
        .module relicade_gb
        .area   GAME (ABS)

LCDC    = 0xFF40
STAT    = 0xFF41
LY      = 0xFF44
BGP     = 0xFF47
OBP0    = 0xFF48
JOYP    = 0xFF00
BCPS    = 0xFF68
BCPD    = 0xFF69
OCPS    = 0xFF6A
OCPD    = 0xFF6B
SAVE    = 0xA000            ; battery memory: "RLCD" then the start counter
OAM     = 0xFE00
SPRITE_Y = 0xC000           ; where the square is, in screen pixels
SPRITE_X = 0xC001
CONSOLE = 0xC002            ; 0x11 when started on a Gameboy Color

        .org    0x0100
        nop
        jp      start

        ; 0x0104-0x0133 stay zero: this cartridge carries no logo.
        .org    0x0134
        .ascii  "RELICADE"
        .org    0x0143
        .db     0x00        ; Gameboy; fix_header.py --color makes it 0x80 for the Gameboy Color
        .org    0x0147
        .db     0x03        ; MBC1 with battery-backed memory
        .db     0x00        ; 32 KiB of program
        .db     0x02        ; 8 KiB of battery memory
        .db     0x01        ; sold outside Japan
        .db     0x00
        .db     0x00        ; version
        .db     0x00        ; header checksum (fix_header.py)
        .dw     0x0000      ; cartridge checksum (fix_header.py)

        .org    0x0150
signature:
        .ascii  "RLCD"
; Tiles: 0 blank, 1 solid colour 3, 2 solid colour 1 (two bit planes a row).
tiles:
        .db     0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0
        .db     0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF
        .db     0xFF,0x00,0xFF,0x00,0xFF,0x00,0xFF,0x00,0xFF,0x00,0xFF,0x00,0xFF,0x00,0xFF,0x00
; Colour palettes (15-bit, red in the low bits): background blue, boxes dark grey and white; the
; square red.
background_colours:
        .dw     0x7C00, 0x294A, 0x294A, 0x7FFF
sprite_colours:
        .dw     0x0000, 0x001F, 0x001F, 0x001F

start:
        di
        ld      sp, #0xFFFE
        ld      (CONSOLE), a

        ; The screen may only be switched off during the vertical blank.
wait_blank:
        ld      a, (LY)
        cp      #144
        jr      nz, wait_blank
        xor     a
        ld      (LCDC), a

        ; Tiles into 0x8000
        ld      hl, #tiles
        ld      de, #0x8000
        ld      b, #48
copy_tiles:
        ld      a, (hl)
        inc     hl
        ld      (de), a
        inc     de
        dec     b
        jr      nz, copy_tiles

        ; Background map 0x9800: all blank
        ld      hl, #0x9800
        ld      bc, #0x0400
clear_map:
        xor     a
        ld      (hl), a
        inc     hl
        dec     bc
        ld      a, b
        or      c
        jr      nz, clear_map

        ; Object table: everything off screen
        ld      hl, #OAM
        ld      b, #160
clear_oam:
        xor     a
        ld      (hl), a
        inc     hl
        dec     b
        jr      nz, clear_oam

        ; Battery memory: a missing signature means a fresh cartridge, so the counter starts at zero.
        ld      a, #0x0A
        ld      (0x0000), a
        ld      hl, #signature
        ld      de, #SAVE
        ld      b, #4
check_signature:
        ld      a, (de)
        cp      (hl)
        jr      nz, fresh
        inc     hl
        inc     de
        dec     b
        jr      nz, check_signature
        jr      count
fresh:
        ld      hl, #signature
        ld      de, #SAVE
        ld      b, #4
write_signature:
        ld      a, (hl)
        inc     hl
        ld      (de), a
        inc     de
        dec     b
        jr      nz, write_signature
        xor     a
        ld      (SAVE+4), a
count:
        ld      a, (SAVE+4)
        inc     a
        ld      (SAVE+4), a

        ; The counter: eight boxes on tile row 2 from column 6, highest bit first (1 lit, 2 unlit).
        ld      hl, #0x9846
        ld      c, a
        ld      b, #8
draw_bits:
        ld      a, #2
        sla     c
        jr      nc, unlit
        ld      a, #1
unlit:
        ld      (hl), a
        inc     hl
        dec     b
        jr      nz, draw_bits

        ; Greys: background light, unlit boxes dark, lit boxes white; the square black.
        ld      a, #0x29
        ld      (BGP), a
        ld      a, #0xE4
        ld      (OBP0), a
        ld      a, (CONSOLE)
        cp      #0x11
        jr      nz, palettes_done
        ld      a, #0x80
        ld      (BCPS), a
        ld      hl, #background_colours
        ld      b, #8
bg_colours:
        ld      a, (hl)
        inc     hl
        ld      (BCPD), a
        dec     b
        jr      nz, bg_colours
        ld      a, #0x80
        ld      (OCPS), a
        ld      b, #8
obj_colours:
        ld      a, (hl)
        inc     hl
        ld      (OCPD), a
        dec     b
        jr      nz, obj_colours
palettes_done:

        ld      a, #68
        ld      (SPRITE_Y), a
        ld      a, #76
        ld      (SPRITE_X), a
        call    place_sprite

        ld      a, #0x93        ; screen on, tiles at 0x8000, objects and background on
        ld      (LCDC), a

main_loop:
        ld      a, (LY)
        cp      #144
        jr      nz, main_loop
        call    place_sprite
        ; Direction keys: bit 0 right, 1 left, 2 up, 3 down; 0 means pressed.
        ld      a, #0x20
        ld      (JOYP), a
        ld      a, (JOYP)
        ld      a, (JOYP)
        ld      a, (JOYP)
        ld      a, (JOYP)
        cpl
        ld      c, a
        ld      a, #0x30
        ld      (JOYP), a
        bit     0, c
        jr      z, not_right
        ld      hl, #SPRITE_X
        inc     (hl)
not_right:
        bit     1, c
        jr      z, not_left
        ld      hl, #SPRITE_X
        dec     (hl)
not_left:
        bit     2, c
        jr      z, not_up
        ld      hl, #SPRITE_Y
        dec     (hl)
not_up:
        bit     3, c
        jr      z, not_down
        ld      hl, #SPRITE_Y
        inc     (hl)
not_down:
        ; Wait for the blank to end so each frame moves the square once.
wait_line:
        ld      a, (LY)
        cp      #144
        jr      z, wait_line
        jr      main_loop

; The object table counts from 16 lines above and 8 pixels left of the screen.
place_sprite:
        ld      hl, #OAM
        ld      a, (SPRITE_Y)
        add     a, #16
        ld      (hl), a
        inc     hl
        ld      a, (SPRITE_X)
        add     a, #8
        ld      (hl), a
        inc     hl
        ld      a, #1
        ld      (hl), a
        inc     hl
        xor     a
        ld      (hl), a
        ret
