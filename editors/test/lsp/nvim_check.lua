-- Neovim's own LSP client on one file: starts the server, waits for the file's
-- diagnostics, prints them as "FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE]" (lines and
-- columns from 1) on standard output, stops the server and quits. Exit status 0 when
-- diagnostics came and the server ended with status 0 after shutdown, 1 otherwise.
-- Environment: RPGC_LSP (the server), RPGC_NVIM_FILE (the file), RPGC_NVIM_TIMEOUT_MS.
local server = os.getenv('RPGC_LSP')
local file = vim.fn.fnamemodify(os.getenv('RPGC_NVIM_FILE'), ':p')
local timeout = tonumber(os.getenv('RPGC_NVIM_TIMEOUT_MS') or '') or 10000

local function finish(status, text)
  if text then io.stderr:write(text .. '\n') end
  vim.cmd(status == 0 and 'qall!' or ('cquit ' .. status))
end

vim.cmd('edit ' .. vim.fn.fnameescape(file))
local buffer = vim.api.nvim_get_current_buf()
vim.bo[buffer].filetype = 'rpgc'

local server_status
local config = {
  name = 'rpgc-lsp',
  cmd = { server },
  root_dir = vim.fn.fnamemodify(file, ':h'),
  init_options = { rpgc = { description = vim.NIL } },
  on_exit = function(code) server_status = code end,
}
local client_id
if vim.lsp.start then -- Neovim 0.8 and later
  client_id = vim.lsp.start(config)
else
  client_id = vim.lsp.start_client(config)
  if client_id then vim.lsp.buf_attach_client(buffer, client_id) end
end
if not client_id then finish(1, 'the server did not start: ' .. server) end

local arrived = vim.wait(timeout, function()
  return #vim.diagnostic.get(buffer) > 0 or server_status ~= nil
end, 50)

local names = { 'error', 'warning', 'information', 'hint' }
local diagnostics = vim.diagnostic.get(buffer)
for _, d in ipairs(diagnostics) do
  local lsp = d.user_data and d.user_data.lsp or {}
  io.stdout:write(string.format('%s:%d:%d: %s: %s [%s]\n', vim.fn.fnamemodify(file, ':t'), d.lnum + 1,
    d.col + 1, names[d.severity] or '?', d.message, tostring(d.code or lsp.code)))
end

local ended_early = server_status
vim.lsp.stop_client(client_id)
vim.wait(timeout, function() return server_status ~= nil end, 50)
if ended_early ~= nil and #diagnostics == 0 then
  finish(1, 'the server ended with status ' .. tostring(ended_early) .. ' before any diagnostics')
elseif not arrived or #diagnostics == 0 then
  finish(1, string.format('no diagnostics for %s within %d ms', file, timeout))
elseif server_status ~= 0 then
  finish(1, 'the server ended with status ' .. tostring(server_status) .. ' after shutdown')
else
  finish(0)
end
