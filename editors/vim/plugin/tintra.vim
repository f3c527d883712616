" Tintra: edit the colour under the cursor with the colour picker.
" Works in Vim 8+ and Neovim; the work is in autoload/tintra.vim.
if exists('g:loaded_tintra')
  finish
endif
let g:loaded_tintra = 1

" :Tintra [NOTATION]       the colour under the cursor, on the cursor's line
" :'<,'>Tintra [NOTATION]  the colour in the selected lines
command! -range -nargs=? -bar -complete=customlist,tintra#Complete Tintra
      \ call tintra#Edit(<range>, <line1>, <line2>, <q-args>)
